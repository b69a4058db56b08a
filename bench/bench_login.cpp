// Login benchmark: one press of 登录 in the login dialog on a starter ledger, as a user makes
// it (open the ledger, look the name up, verify the typed password against its Argon2id
// hash made with libsodium's interactive limits).
//
//   BM_Login  the pre-filled root / 73950 logging in; ratio = wall time of one login / the
//             0.5 s a login may take (at most 1 meets the target).

#include "data/StarterDatabase.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ModalScript.h"
#include "users/UserDlg.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBudgetSeconds = 0.5;

void BM_Login(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("coffer-bench-login-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    std::string error;
    if (!std::filesystem::exists("data.mdb") && !CreateStarterDatabase("data.mdb", error))
        throw std::runtime_error(error);

    double seconds = 0;
    for (auto _ : state) {
        ui::ModalScript script;
        script.Then([](ui::Dialog& dialog) {
            dialog.ClickButton(ui::IDOK);
            return ui::IDCANCEL;
        });
        const auto start = Clock::now();
        CUserDlg dialog;
        dialog.m_strUserName = "root";
        dialog.m_strPassword = "73950";
        const int result = dialog.DoModal();
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (result != ui::IDOK)
            state.SkipWithError("the login was refused");
    }
    state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / kBudgetSeconds;
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Login)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace
