#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "support/ui/UiHarness.h"
#include "ui/CommonDialogs.h"
#include "ui/Text.h"

namespace {

using namespace Ui;

TEST(FileFilterTest, PipeFiltersBecomeQtNameFilters) {
    struct Case {
        const char* filter;
        std::vector<std::string> expected;
    } cases[] = {
        {"ICD files (*.icd)|*.icd|All files (*.*)|*.*||", {"ICD files (*.icd)", "All files (*)"}},
        {"Images|*.bmp;*.png||", {"Images (*.bmp *.png)"}},
        {"No closing bars|*.txt", {"No closing bars (*.txt)"}},
        {"", {}},
        {"||", {}},
        {"Odd|", {}},
        {"Text (*.txt;*.log)|*.txt;*.log||", {"Text (*.txt *.log)"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ConvertFileFilter(c.filter), c.expected) << c.filter;
}

// Types a name into the real file dialog and accepts it with Enter.
void AcceptName(QWidget* window, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(dialog, nullptr);
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

TEST(FileDialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeOverwriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string start = FromQt(dir.filePath("device"));
    {
        CFileDialog save(false, "icd", start.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         "ICD files (*.icd)|*.icd|All files (*.*)|*.*||");
        UiTest::OnNextModal([&](QWidget* window) { AcceptName(window, "plant"); });
        ASSERT_EQ(save.DoModal(), IDOK);
        EXPECT_EQ(save.GetPathName(), FromQt(dir.filePath("plant.icd")));
        EXPECT_EQ(save.GetFileExt(), "icd");
    }
    QFile existing(dir.filePath("plant.icd"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    {
        CFileDialog save(false, "icd", start.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         "ICD files (*.icd)|*.icd||");
        UiTest::MessageBoxSeen asked;
        UiTest::OnNextModal([&](QWidget* window) {
            UiTest::AnswerNextMessageBox(IDYES, &asked);
            AcceptName(window, "plant.icd");
        });
        ASSERT_EQ(save.DoModal(), IDOK);
        EXPECT_TRUE(asked.seen);
        EXPECT_EQ(save.GetPathName(), FromQt(dir.filePath("plant.icd")));
    }
}

TEST(FileDialogTest, CancelLeavesNoPath) {
    CFileDialog open(true, nullptr, nullptr, OFN_HIDEREADONLY, "All files (*.*)|*.*||");
    UiTest::OnNextModal([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_EQ(open.GetPathName(), "");
}

TEST(FolderDialogTest, TheChosenFolderReplacesThePath) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("chosen");
    std::string path = FromQt(dir.path());
    UiTest::OnNextModal([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), "Choose a directory");
        AcceptName(window, dir.filePath("chosen"));
    });
    EXPECT_TRUE(BrowseForFolder(path, "Choose a directory", nullptr));
    EXPECT_EQ(path, FromQt(dir.filePath("chosen")));
}

}  // namespace
