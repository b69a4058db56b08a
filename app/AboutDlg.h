#pragma once

#include "platform/ui/Dialog.h"

/// The about box: the product line, the maker's lines and a link to the maker's home page.
class CAboutDlg : public ui::Dialog {
public:
    enum { IDD = 100 };
    enum { IDC_HOMEPAGE = 1060 };

    /// Where the link leads.
    static constexpr const char* kHomePage = "https://www.lanzhoufang.example/";

    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;

private:
    void OnLinkClicked();
};
