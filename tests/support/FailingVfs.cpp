#include "tests/support/FailingVfs.h"

#include <sqlite3.h>

#include <cstring>
#include <stdexcept>

namespace testing_support {
namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
FailingVfs::Fault g_fault = FailingVfs::Fault::None;
std::string g_under;

// Our file: the method table first, as SQLite expects, then the real file right after it.
struct File {
    sqlite3_file base;
    sqlite3_file* real;
    bool hit; // under the folder the fault is meant for
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<File*>(file)->real;
}

bool Faulty(sqlite3_file* file, FailingVfs::Fault fault) {
    return g_fault == fault && reinterpret_cast<File*>(file)->hit;
}

bool Under(const char* name) {
    return g_under.empty() || (name != nullptr && std::strncmp(name, g_under.c_str(), g_under.size()) == 0);
}

int Close(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}
int Read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
    if (Faulty(file, FailingVfs::Fault::ReadsFail))
        return SQLITE_IOERR_READ;
    return Real(file)->pMethods->xRead(Real(file), data, amount, offset);
}
int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    if (Faulty(file, FailingVfs::Fault::DiskFull))
        return SQLITE_FULL;
    return Real(file)->pMethods->xWrite(Real(file), data, amount, offset);
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    return Real(file)->pMethods->xTruncate(Real(file), size);
}
int Sync(sqlite3_file* file, int flags) {
    return Real(file)->pMethods->xSync(Real(file), flags);
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return Real(file)->pMethods->xFileSize(Real(file), size);
}
int Lock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xLock(Real(file), level);
}
int Unlock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xUnlock(Real(file), level);
}
int CheckReservedLock(sqlite3_file* file, int* out) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}
int FileControl(sqlite3_file* file, int op, void* arg) {
    return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}
int SectorSize(sqlite3_file* file) {
    return Real(file)->pMethods->xSectorSize(Real(file));
}
int DeviceCharacteristics(sqlite3_file* file) {
    return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

// Version 1 methods only: no shared memory (rollback journal) and no memory mapping, so
// every page goes through Read and Write.
const sqlite3_io_methods kMethods = {1,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* ours = reinterpret_cast<File*>(file);
    file->pMethods = nullptr;
    ours->hit = Under(name);
    // What the system's file system does when the file or the folder is not writable.
    if (ours->hit && g_fault == FailingVfs::Fault::ReadOnlyFile && (flags & SQLITE_OPEN_MAIN_DB) != 0)
        flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    if (ours->hit && g_fault == FailingVfs::Fault::ReadOnlyFolder &&
        (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0)
        return SQLITE_READONLY_DIRECTORY;
    ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
    std::memset(ours->real, 0, static_cast<size_t>(g_real->szOsFile));
    const int rc = g_real->xOpen(g_real, name, ours->real, flags, outFlags);
    ours->base.pMethods = ours->real->pMethods ? &kMethods : nullptr;
    return rc;
}
int Delete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_real->xDelete(g_real, name, syncDir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_real->xAccess(g_real, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_real->xFullPathname(g_real, name, size, out);
}
int Randomness(sqlite3_vfs*, int size, char* out) {
    return g_real->xRandomness(g_real, size, out);
}
int Sleep(sqlite3_vfs*, int micro) {
    return g_real->xSleep(g_real, micro);
}
int CurrentTime(sqlite3_vfs*, double* now) {
    return g_real->xCurrentTime(g_real, now);
}
int GetLastError(sqlite3_vfs*, int size, char* out) {
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, size, out) : 0;
}

} // namespace

FailingVfs::FailingVfs() {
    g_real = sqlite3_vfs_find(nullptr);
    if (g_real == nullptr)
        throw std::runtime_error("no SQLite file system");
    g_vfs = sqlite3_vfs{};
    g_vfs.iVersion = 1;
    g_vfs.szOsFile = static_cast<int>(sizeof(File)) + g_real->szOsFile;
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "coffer-test-failing";
    g_vfs.xOpen = &Open;
    g_vfs.xDelete = &Delete;
    g_vfs.xAccess = &Access;
    g_vfs.xFullPathname = &FullPathname;
    g_vfs.xRandomness = &Randomness;
    g_vfs.xSleep = &Sleep;
    g_vfs.xCurrentTime = &CurrentTime;
    g_vfs.xGetLastError = &GetLastError;
    g_fault = Fault::None;
    g_under.clear();
    sqlite3_vfs_register(&g_vfs, 1);
}

FailingVfs::~FailingVfs() {
    g_fault = Fault::None;
    g_under.clear();
    sqlite3_vfs_unregister(&g_vfs);
}

void FailingVfs::Set(Fault fault, const std::string& under) {
    g_fault = fault;
    g_under = under;
}

} // namespace testing_support
