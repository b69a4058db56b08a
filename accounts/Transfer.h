#pragma once

#include <cstdint>
#include <string>

/// Money moved between two of the household's accounts (a card repaid, WeChat Pay topped
/// up, cash taken out): neither income nor expense. An adjustment made at reconciliation is
/// a transfer with one side 0, the outside world.
struct CTransfer {
    std::int64_t nId = 0;
    std::int64_t nFrom = 0;
    std::int64_t nTo = 0;
    std::int64_t nAmount = 0; ///< cents, more than 0
    std::string strDate;      ///< 'YYYY-MM-DD HH:MM:SS'
    std::string strMember;
    std::string strNote;
};
