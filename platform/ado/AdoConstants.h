#pragma once

#include <cstdint>

/// Result codes and enumeration values of the data engine, with the numbers its callers
/// expect.
namespace ado {

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT DB_E_NOTABLE = static_cast<HRESULT>(0x80040E37);
constexpr HRESULT DB_E_ERRORSINCOMMAND = static_cast<HRESULT>(0x80040E14);
constexpr HRESULT DB_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x80040E10);
constexpr HRESULT DB_E_INTEGRITYVIOLATION = static_cast<HRESULT>(0x80040E2F);
constexpr HRESULT DB_E_DELETEDROW = static_cast<HRESULT>(0x80040E23);
constexpr HRESULT DB_E_CANTSCROLLBACKWARDS = static_cast<HRESULT>(0x80040E24);
constexpr HRESULT ADO_E_INVALIDARGUMENT = static_cast<HRESULT>(0x800A0BB9);
constexpr HRESULT ADO_E_NOCURRENTRECORD = static_cast<HRESULT>(0x800A0BCD);
constexpr HRESULT ADO_E_ITEMNOTFOUND = static_cast<HRESULT>(0x800A0CC1);
constexpr HRESULT ADO_E_NOTUPDATABLE = static_cast<HRESULT>(0x800A0CB3);
constexpr HRESULT ADO_E_OBJECTCLOSED = static_cast<HRESULT>(0x800A0E78);
constexpr HRESULT ADO_E_OBJECTOPEN = static_cast<HRESULT>(0x800A0E79);

inline bool Failed(HRESULT hr) {
    return hr < 0;
}

enum ObjectState : long { adStateClosed = 0, adStateOpen = 1 };
enum CursorType : long {
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockType : long {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum CommandType : long {
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8
};
enum CursorLocation : long { adUseServer = 2, adUseClient = 3 };
enum Affect : long { adAffectCurrent = 1 };

} // namespace ado
