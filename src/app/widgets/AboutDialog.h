#pragma once

#include <QRect>
#include <string>

#include "app/widgets/ColorStatic.h"
#include "ui/Dialog.h"
#include "ui/Static.h"

namespace Widgets {

constexpr int IDD_ABOUTBOX = 100;

// Bitmaps the template names. The program registers neither: the logo stays empty and
// the banner is the one the settings name, if any.
constexpr int IDB_ABOUT_LOGO = 129;
constexpr int IDB_ABOUT_BANNER = 130;

// Strings.
constexpr int IDS_ABOUT_RIGHTS = 108;
constexpr int IDS_ABOUT_WARRANTY = 109;
constexpr int IDS_ABOUT_TITLE = 110;
constexpr int IDS_ABOUT_CREDIT = 112;
constexpr int IDS_ABOUT_MAKER_LINK = 113;
constexpr int IDS_ABOUT_LIBRARY_LINK = 114;

// RegisterAboutResources registers the texts and the template above; kAboutMakerCompany
// is the maker's company name that the "company" setting replaces.
extern const char* const kAboutMakerCompany;
void RegisterAboutResources();

// The About box: title, legal text, credit line, two links, a banner and the program's
// version with its build date. Three texts and the banner come from "resources.ini" in
// the program's directory (or the directory given).
class QXAboutDialog : public Ui::CDialog {
public:
    explicit QXAboutDialog(Ui::CWnd* parent = nullptr, std::string directory = {});

    void DoDataExchange(Ui::CDataExchange* dx) override;
    Ui::BOOL OnInitDialog() override;

    // "Version: a.b.c.d (YYYY-MM-DD)" for the program file, or empty without a record.
    static std::string VersionLine(const std::string& programPath);

private:
    // A control's box as the template places it, in pixels of the dialog's font.
    QRect TemplateBox(int id) const;

    std::string directory_;
    std::string company_;
    std::string www_;
    std::string banner_;
    CXColorStatic title_;
    Ui::CStatic legal_;
    CXColorStatic makerLink_;
    CXColorStatic libraryLink_;
    Ui::CStatic version_;
    Ui::CStatic credit_;
};

}  // namespace Widgets
