#pragma once

#include "bills/BankScheme.h"
#include "bills/BillRow.h"

#include <string>
#include <string_view>
#include <vector>

class CADODatabase;

/// What reading a file as a bill found, beyond the bill itself.
struct AnyBillRead {
    std::string strError; ///< why nothing was read, in plain words naming the file
    /// A file of no kind known whose heading row a scheme can be made from: that row, the
    /// columns guessed from it, and the scheme's account guessed from the preamble.
    bool bNeedsScheme = false;
    CBankScheme guess;
};

/// Reads a bill of any kind known, recognised by itself: an Alipay or WeChat Pay bill, else
/// a bank statement whose heading row is the one of a scheme saved in the ledger (the
/// statement is then of the scheme's account; of several schemes with the same heading, the
/// one whose account's card number the statement names above its heading). False with
/// `read` saying why, and whether a scheme could be made for the file.
bool ReadAnyBill(CADODatabase& db, std::string_view bytes, const std::string& strName,
                 BillFile& bill, AnyBillRead& read);
/// The same for a file on disk.
bool ReadAnyBillFile(CADODatabase& db, const std::string& strPath, BillFile& bill,
                     AnyBillRead& read);

/// Reads a bank statement by `scheme` (saved or not). False with the reason.
bool ReadBankStatement(std::string_view bytes, const std::string& strName,
                       const CBankScheme& scheme, BillFile& bill, std::string& strError);
