#include "web/PhonePage.h"

#include "data/FormatDateTime.h"
#include "web/PhoneTexts.h"

#include <cstdio>

namespace PhonePage {

namespace {

std::string Head() {
    return std::string("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>") +
           PhoneTexts::kTitle +
           "</title><link rel=\"stylesheet\" href=\"/phone.css\">"
           "<script src=\"/phone.js\" defer></script></head><body>";
}

const char* const kTail = "</body></html>\n";

std::string Message(const std::string& strMessage, bool bError) {
    if (strMessage.empty())
        return {};
    return std::string("<p class=\"message") + (bError ? " error" : "") +
           "\" role=\"status\" id=\"message\">" + Escape(strMessage) + "</p>";
}

std::string Hidden(const char* szName, const std::string& value) {
    return std::string("<input type=\"hidden\" name=\"") + szName + "\" value=\"" +
           Escape(value) + "\">";
}

std::string Options(const std::vector<std::string>& entries, const std::string& selected) {
    std::string html;
    for (const std::string& entry : entries)
        html += "<option" + std::string(entry == selected ? " selected" : "") + ">" +
                Escape(entry) + "</option>";
    return html;
}

std::string Certificate(const std::string& strFingerprint) {
    return "<p class=\"fine\"><a href=\"/ca.crt\">下载本机证书</a>（第一次使用时在手机上信任一次）。"
           "证书指纹：" +
           Escape(strFingerprint) + "</p>";
}

// The fields of a record; `prefix` keeps the ids of two forms on one page apart.
std::string RecordFields(const EntryView& view, const CPhoneLedger::Entry& entry,
                         const std::string& prefix, bool bKindChoice) {
    std::string html;
    if (bKindChoice) {
        html += "<div class=\"kinds\" role=\"radiogroup\" aria-label=\"收支\">"
                "<label><input type=\"radio\" name=\"kind\" value=\"pay\" id=\"kind-pay\"" +
                std::string(entry.bPay ? " checked" : "") +
                "><span>支出</span></label>"
                "<label><input type=\"radio\" name=\"kind\" value=\"income\" id=\"kind-income\"" +
                std::string(entry.bPay ? "" : " checked") + "><span>收入</span></label></div>";
    }
    html += "<label for=\"" + prefix + "amount\">金额</label><input id=\"" + prefix +
            "amount\" name=\"amount\" inputmode=\"decimal\" autocomplete=\"off\" maxlength=\"13\" "
            "placeholder=\"0.00\" value=\"" +
            Escape(entry.strAmount) + "\">";
    html += "<label for=\"" + prefix + "member\">家庭成员</label><select id=\"" + prefix +
            "member\" name=\"member\">" + Options(view.members, entry.strMember) + "</select>";
    const bool bBoth = bKindChoice;
    if (bBoth || entry.bPay)
        html += "<div class=\"pay-only\"><label for=\"" + prefix + "pay-item\">支出项目</label><select id=\"" +
                prefix + "pay-item\" name=\"payItem\">" + Options(view.payItems, entry.strItem) +
                "</select></div>";
    if (bBoth || !entry.bPay)
        html += "<div class=\"income-only\"><label for=\"" + prefix + "income-item\">收入项目</label><select id=\"" +
                prefix + "income-item\" name=\"incomeItem\">" +
                Options(view.incomeItems, entry.strItem) + "</select></div>";
    if (!view.accounts.empty())
        html += "<label for=\"" + prefix + "account\">账户</label><select id=\"" + prefix +
                "account\" name=\"account\">" + Options(view.accounts, entry.strAccount) +
                "</select>";
    html += "<label for=\"" + prefix + "when\">日期</label><input id=\"" + prefix +
            "when\" name=\"when\" type=\"datetime-local\" value=\"" +
            Escape(entry.strWhen.empty() ? view.strNow : entry.strWhen) + "\">";
    html += "<label for=\"" + prefix + "note\">备注:</label><textarea id=\"" + prefix +
            "note\" name=\"note\" maxlength=\"200\" rows=\"2\">" + Escape(entry.strNote) +
            "</textarea>";
    return html;
}

// Receipt photos: one box opens the camera, the other the phone's pictures. Both send
// "picture"; a box left unused sends an empty part, which counts for nothing.
std::string Pictures(const std::string& prefix, const std::string& legend) {
    const std::string camera = prefix + "picture-camera";
    const std::string chosen = prefix + "picture-chosen";
    return "<fieldset class=\"pictures\"><legend>" + legend + "</legend><div class=\"row2\">"
           "<label class=\"pick\" for=\"" + camera + "\">拍照</label>"
           "<input id=\"" + camera + "\" name=\"picture\" type=\"file\" accept=\"image/*\" "
           "capture=\"environment\">"
           "<label class=\"pick\" for=\"" + chosen + "\">选图片</label>"
           "<input id=\"" + chosen + "\" name=\"picture\" type=\"file\" accept=\"image/*\" "
           "multiple></div><p class=\"fine chosen\" id=\"" + prefix + "pictures-chosen\" "
           "aria-live=\"polite\"></p></fieldset>";
}

std::string RecordRow(const CPhoneLedger::Record& record) {
    const char* kind = record.bPay ? "pay" : "income";
    return std::string("<tr><td>") + FormatDateTime(record.date, "%m-%d %H:%M") + "</td><td>" +
           Escape(record.strItem) +
           (record.bPictures ? " <span class=\"clip\">凭证</span>" : "") + (record.strNote.empty() ? "" : "<br><span class=\"fine\">" + Escape(record.strNote) + "</span>") +
           "</td><td class=\"amount " + kind + "\">" + (record.bPay ? "-" : "+") +
           Money(record.nCents) + "</td></tr>";
}

std::string Table(const std::vector<const CPhoneLedger::Record*>& rows, const char* szId) {
    if (rows.empty())
        return std::string("<p class=\"empty\" id=\"") + szId + "\">还没有记录。</p>";
    std::string html = std::string("<table id=\"") + szId +
                       "\"><thead><tr><th>时间</th><th>项目</th><th class=\"amount\">金额</th></tr></thead><tbody>";
    for (const CPhoneLedger::Record* record : rows)
        html += RecordRow(*record);
    return html + "</tbody></table>";
}

} // namespace

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Money(std::int64_t nCents) {
    const bool bNegative = nCents < 0;
    const std::uint64_t magnitude = bNegative ? 0 - static_cast<std::uint64_t>(nCents)
                                              : static_cast<std::uint64_t>(nCents);
    char text[40];
    std::snprintf(text, sizeof text, "%s%llu.%02llu", bNegative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 100),
                  static_cast<unsigned long long>(magnitude % 100));
    return text;
}

std::string DateTimeBox(const COleDateTime& date) {
    return FormatDateTime(date, "%Y-%m-%dT%H:%M");
}

std::string Entry(const EntryView& view) {
    std::string html = Head();
    html += "<header><h1>" + std::string(PhoneTexts::kTitle) + "</h1><span class=\"who\">" +
            Escape(view.strUser) + " · " + Escape(view.strDevice) + "</span></header>";
    html += Message(view.strMessage, view.bError);
    html += "<form method=\"post\" action=\"/add\" enctype=\"multipart/form-data\" "
            "class=\"card\" id=\"entry\">" +
            Hidden("csrf", view.strCsrf) + Hidden("submission", view.strSubmission) +
            RecordFields(view, view.entry, "", true) + Pictures("", "凭证（可不附，最多4张）") +
            "<button type=\"submit\" id=\"add\">记一笔</button></form>";

    if (view.last) {
        CPhoneLedger::Entry last;
        last.bPay = view.last->bPay;
        last.strAmount = Money(view.last->nCents);
        last.strMember = view.last->strMember;
        last.strItem = view.last->strItem;
        last.strAccount = view.last->strAccount;
        last.strWhen = DateTimeBox(view.last->date);
        last.strNote = view.last->strNote;
        html += "<section class=\"card\" id=\"last\"><h2>刚记的一笔（10分钟内可更正）</h2>"
                "<form method=\"post\" action=\"/correct\" enctype=\"multipart/form-data\">" +
                Hidden("csrf", view.strCsrf) + "<p>" + (last.bPay ? "支出" : "收入") + "</p>" +
                RecordFields(view, last, "last-", false) + Pictures("last-", view.last->nPictures > 0
                                                ? "再附凭证（已有" + std::to_string(view.last->nPictures) + "张）"
                                                : std::string("补附凭证")) +
                "<button type=\"submit\" class=\"quiet\" id=\"correct\">更正</button></form>"
                "<form method=\"post\" action=\"/delete\">" +
                Hidden("csrf", view.strCsrf) +
                "<button type=\"submit\" class=\"danger\" id=\"delete\">删除</button></form></section>";
    }

    std::vector<const CPhoneLedger::Record*> today;
    std::vector<const CPhoneLedger::Record*> month;
    std::int64_t nIncome = 0;
    std::int64_t nPay = 0;
    for (const CPhoneLedger::Record& record : view.month) {
        month.push_back(&record);
        if (FormatDateTime(record.date, "%Y-%m-%d") == view.strToday)
            today.push_back(&record);
        (record.bPay ? nPay : nIncome) += record.nCents;
    }
    const std::string& member = view.entry.strMember;
    html += "<section class=\"card\"><h2>今天 · " + Escape(member) + "</h2>" + Table(today, "today") +
            "</section>";
    html += "<section class=\"card\"><h2>本月 · " + Escape(member) + "</h2>" +
            "<div class=\"totals\" id=\"totals\"><span class=\"income\">本月收入 " + Money(nIncome) +
            "</span><span class=\"pay\">本月支出 " + Money(nPay) + "</span></div>" +
            Table(month, "month") + "</section>";
    return html + kTail;
}

std::string Pair(const PairView& view) {
    std::string html = Head();
    html += "<header><h1>" + std::string(PhoneTexts::kTitle) + "</h1><span class=\"who\">配对这部手机</span></header>";
    html += Message(view.strMessage, true);
    if (view.bFormShown) {
        html += "<form method=\"post\" action=\"/pair\" class=\"card\" id=\"pair\">" +
                Hidden("csrf", view.strCsrf) + Hidden("code", view.strCode) +
                "<label for=\"user\">用户：</label><input id=\"user\" name=\"user\" autocomplete=\"username\" maxlength=\"64\" value=\"" +
                Escape(view.strUser) +
                "\"><label for=\"password\">密码：</label><input id=\"password\" name=\"password\" type=\"password\" autocomplete=\"current-password\" maxlength=\"128\">"
                "<label for=\"device\">手机名称</label><input id=\"device\" name=\"device\" maxlength=\"40\" placeholder=\"我的手机\" value=\"" +
                Escape(view.strDevice) + "\"><button type=\"submit\" id=\"login\">登录并配对</button></form>";
    }
    return html + Certificate(view.strFingerprint) + kTail;
}

std::string Notice(const std::string& strMessage, const std::string& strFingerprint) {
    return Head() + "<header><h1>" + PhoneTexts::kTitle + "</h1></header>" +
           Message(strMessage, true) + Certificate(strFingerprint) + kTail;
}

} // namespace PhonePage
