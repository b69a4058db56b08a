#pragma once

#include "data/ADODatabase.h"
#include "search/SearchIndex.h"
#include "search/SearchRecords.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

/// A fresh ledger with a connection of its own, and the search's answers as texts.
class SearchFixture : public ::testing::Test {
protected:
    SearchFixture() {
        m_connection.SetConnectionString(testing_support::TestDb::kConnectionString);
        m_connection.Open();
    }

    /// Adds a record with its note; `kind` is "收入" or "支出". Each kind numbers its
    /// records from 1.
    void Add(const char* kind, const std::string& member, double amount, const std::string& date,
             const std::string& item, const std::string& note) {
        const bool income = std::string(kind) == "收入";
        const std::string columns = income ? "(收入人员, 收入金额, 收入日期, 收入项目, 备注)"
                                           : "(支出人员, 支出金额, 支出日期, 支出项目, 备注)";
        m_db.Exec(std::string("INSERT INTO ") + (income ? "normalIncome " : "normalPay ") +
                  columns + " VALUES (" + Quoted(member) + ", " + std::to_string(amount) + ", " +
                  Quoted(date) + ", " + Quoted(item) + ", " + Quoted(note) + ")");
    }

    /// "收入7", "支出3", … in the order found; with the index when it is ready.
    std::vector<std::string> Found(const std::string& text, bool bIndex,
                                   const std::optional<SearchSpan>& span = std::nullopt) {
        std::vector<std::string> found;
        const bool bReady = bIndex && CSearchIndex::Inspect(m_connection) == CSearchIndex::Ready;
        EXPECT_EQ(bReady, bIndex) << "the index is not ready";
        for (const SearchRow& row : CSearchRecords::Find(m_connection, text, span, bReady))
            found.push_back((row.nKind == 0 ? "收入" : "支出") + std::to_string(row.nId));
        return found;
    }

    bool EnsureIndex() {
        std::string strError;
        const bool ok = CSearchIndex::Ensure(m_connection, strError);
        EXPECT_EQ(strError, "");
        return ok;
    }

    static std::string Quoted(std::string text) {
        for (size_t at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 2))
            text.insert(at, 1, '\'');
        return "'" + text + "'";
    }

    testing_support::TestDb m_db;
    CADODatabase m_connection;
};
