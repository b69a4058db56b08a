#pragma once

#include <string>
#include <vector>

/// The pairing address as a QR code (libqrencode), for the window and the terminal.
class CPhoneQrCode {
public:
    /// The modules of `strText`, row by row (true = dark); empty when it cannot be encoded.
    static std::vector<std::vector<bool>> Modules(const std::string& strText);
    /// The code drawn with block characters, two module rows per text line, with the quiet
    /// zone a reader needs; dark modules are drawn light-on-dark terminals' way round.
    static std::string TerminalText(const std::string& strText);
};
