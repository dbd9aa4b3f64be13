#include "app/widgets/AboutDialog.h"

#include <cstdio>
#include <string>

#include "app/ids/ControlIds.h"
#include "app/widgets/AboutPictures.h"
#include "app/widgets/FileVersionInfo.h"
#include "ui/DataExchange.h"
#include "ui/IniFile.h"
#include "ui/Resources.h"
#include "ui/TextFit.h"

namespace Widgets {

using namespace Ui;

const char* const kAboutMakerCompany = "Quorvex Software Ltd.";

namespace {

namespace Id = ControlId::AboutBox;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

DialogTemplate AboutTemplate() {
    DialogTemplate t;
    t.caption = "About";
    t.cx = 370;
    t.cy = 263;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.controls = {
        {Id::Logo, "STATIC", std::to_string(IDB_ABOUT_LOGO), 10, 10, 21, 20, kChild | SS_BITMAP},
        {Id::Title, "STATIC", "", 44, 10, 316, 14, kChild | SS_LEFT},
        {Id::Legal, "STATIC", "", 44, 28, 316, 42, kChild | SS_LEFT},
        {Id::Version, "STATIC", "Version", 44, 74, 316, 10, kChild | SS_LEFT},
        {Id::Credit, "STATIC", "", 44, 90, 316, 20, kChild | SS_LEFT},
        {Id::MakerLink, "STATIC", "", 44, 114, 316, 10, kChild | SS_LEFT | SS_NOTIFY},
        {Id::LibraryLink, "STATIC", "", 44, 128, 316, 10, kChild | SS_LEFT | SS_NOTIFY},
        {Id::Banner, "STATIC", std::to_string(IDB_ABOUT_BANNER), 10, 146, 350, 88, kChild | SS_BITMAP},
        {IDOK, "BUTTON", "OK", 310, 242, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
    };
    return t;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

void RegisterAboutResources() {
    if (!FindDialogTemplate(IDD_ABOUTBOX)) RegisterDialogTemplate(IDD_ABOUTBOX, AboutTemplate());
    if (LoadBitmap(IDB_ABOUT_LOGO).isNull()) RegisterBitmap(IDB_ABOUT_LOGO, DrawAboutLogo());
    if (LoadBitmap(IDB_ABOUT_BANNER).isNull()) RegisterBitmap(IDB_ABOUT_BANNER, DrawAboutBanner());
    const std::string maker = kAboutMakerCompany;
    const std::pair<int, std::string> texts[] = {
        {IDS_ABOUT_RIGHTS, "Copyright (C) " + maker + " All rights reserved."},
        {IDS_ABOUT_WARRANTY, "This program is provided as it is, without warranty of any kind."},
        {IDS_ABOUT_TITLE, "IEC-61850 Quorvex"},
        {IDS_ABOUT_CREDIT, "Written by " + maker + " on its own IEC 61850 protocol library."},
        {IDS_ABOUT_MAKER_LINK, "https://www.example.com/quorvex"},
        {IDS_ABOUT_LIBRARY_LINK, "https://www.example.org/iec61850"},
    };
    for (const auto& [id, text] : texts) {
        if (LoadString(id).empty()) RegisterString(id, text);
    }
}

QXAboutDialog::QXAboutDialog(CWnd* parent, std::string directory)
    : CDialog(IDD_ABOUTBOX, parent), directory_(directory.empty() ? GetProgramDirectory() : std::move(directory)) {
    RegisterAboutResources();
    if (directory_.back() != '/') directory_ += '/';
    std::string settings = directory_ + "resources.ini";
    company_ = GetPrivateProfileString("main", "company", "", settings);
    www_ = GetPrivateProfileString("main", "www", "", settings);
    banner_ = GetPrivateProfileString("main", "banner", "", settings);
    if (!banner_.empty()) banner_ = directory_ + banner_;
}

void QXAboutDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, Id::Legal, legal_);
    DDX_Control(dx, Id::Title, title_);
    DDX_Control(dx, Id::MakerLink, makerLink_);
    DDX_Control(dx, Id::LibraryLink, libraryLink_);
    DDX_Control(dx, Id::Version, version_);
    DDX_Control(dx, Id::Credit, credit_);
}

std::string QXAboutDialog::VersionLine(const std::string& programPath) {
    CFileVersionInfo info;
    if (!info.Create(programPath)) return {};
    const FixedFileInfo& fixed = info.GetFixedInfo();
    char text[96];
    std::snprintf(text, sizeof text, "Version: %u.%u.%u.%u", fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16,
                  fixed[3] & 0xFFFF);
    std::string line = text;
    if (std::optional<std::time_t> linked = info.GetLinkTime()) {
        std::tm local{};
        localtime_r(&*linked, &local);
        std::snprintf(text, sizeof text, "(%.04d-%.02d-%.02d)", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        line += std::string(" ") + text;
    }
    return line;
}

QRect QXAboutDialog::TemplateBox(int id) const {
    if (const DialogTemplate* t = FindDialogTemplate(IDD_ABOUTBOX)) {
        for (const ControlTemplate& control : t->controls) {
            if (control.id != id) continue;
            RECT box{control.x, control.y, control.x + control.cx, control.y + control.cy};
            MapDialogRect(box);
            return QRect(box.left, box.top, box.Width(), box.Height());
        }
    }
    return {};
}

BOOL QXAboutDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    makerLink_.SetTextColor(RGB(0, 0, 240), false);
    libraryLink_.SetTextColor(RGB(0, 0, 255), false);
    title_.SetTextColor(RGB(0, 0, 120), false);
    title_.SetWindowText(LoadString(IDS_ABOUT_TITLE));
    makerLink_.SetWindowText(www_.empty() ? LoadString(IDS_ABOUT_MAKER_LINK) : www_);
    libraryLink_.SetWindowText(LoadString(IDS_ABOUT_LIBRARY_LINK));
    std::string maker = kAboutMakerCompany;
    std::string rights = LoadString(IDS_ABOUT_RIGHTS);
    std::string credit = LoadString(IDS_ABOUT_CREDIT);
    if (!company_.empty()) {
        rights = ReplaceAll(rights, maker, company_);
        credit = ReplaceAll(credit, maker, company_);
    }
    legal_.SetWindowText(rights + "\n" + LoadString(IDS_ABOUT_WARRANTY));
    credit_.SetWindowText(credit);
    CStatic banner;
    if (banner.SubclassDlgItem(Id::Banner, this)) {
        QPixmap picture;
        if (!banner_.empty() && FileExists(banner_)) picture = LoadBitmapFile(banner_);
        // The program's own banner fills the box the template gives it, whatever the
        // font makes of it; a configured one shows at its own size.
        if (picture.isNull()) picture = DrawAboutBanner(TemplateBox(Id::Banner).size());
        banner.SetBitmap(picture);
    }
    // The legal text's box holds more lines than the texts need: the lines below it
    // follow it at the template's distance.
    FitTextHeight(legal_.GetWidget());
    std::string line = VersionLine(ProgramPath());
    if (!line.empty()) version_.SetWindowText(line);
    return TRUE;
}

}  // namespace Widgets
