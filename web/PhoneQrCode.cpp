#include "web/PhoneQrCode.h"

#include <qrencode.h>

#include <memory>

std::vector<std::vector<bool>> CPhoneQrCode::Modules(const std::string& strText) {
    std::vector<std::vector<bool>> rows;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(strText.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return rows;
    const int width = code->width;
    rows.assign(width, std::vector<bool>(width, false));
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = (code->data[y * width + x] & 1) != 0;
    return rows;
}

std::string CPhoneQrCode::TerminalText(const std::string& strText) {
    const std::vector<std::vector<bool>> modules = Modules(strText);
    if (modules.empty())
        return {};
    constexpr int kQuiet = 2;
    const int width = static_cast<int>(modules.size());
    // Light is drawn as a full block, so the code reads on a dark terminal as on paper.
    const auto light = [&](int x, int y) {
        return x < 0 || y < 0 || x >= width || y >= width || !modules[y][x];
    };
    std::string text;
    for (int y = -kQuiet; y < width + kQuiet; y += 2) {
        for (int x = -kQuiet; x < width + kQuiet; ++x) {
            const bool top = light(x, y);
            const bool bottom = light(x, y + 1);
            text += top && bottom ? "█" : top ? "▀" : bottom ? "▄" : " ";
        }
        text += "\n";
    }
    return text;
}
