#pragma once

#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QScrollBar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/widgets/PropertyGridItems.h"
#include "ui/Wnd.h"

class QPainter;

namespace Widgets {

// Messages between the grid, its owner and its editors.
constexpr Ui::UINT WM_PG_ITEMCHANGED = Ui::WM_USER + 486;      // 1510, to the owner: wParam = item id
constexpr Ui::UINT WM_PG_COMBOSELCHANGED = Ui::WM_USER + 487;  // 1511: wParam = chosen index
constexpr Ui::UINT WM_PG_ENDLABELEDIT = Ui::WM_USER + 488;     // 1512: wParam = the edit's text
constexpr Ui::UINT WM_PG_DATESELCHANGED = Ui::WM_USER + 489;   // 1513

// A self-drawn list of named values in two columns, grouped in sections that fold. The
// data operations work without a window (nothing is drawn until one exists); the window
// is made by Create or adopted from a dialog's placeholder by SubclassDlgItem.
class CPropertyGrid : public Ui::CWnd {
public:
    static constexpr Ui::UINT kWantChars = 0x80;
    // Where a name's text starts in its row: after the shaded margin and an indent.
    static constexpr int kNameTextLeft = 18;

    using Section = PropertyGridSection;
    using Item = PropertyGridItem;

    CPropertyGrid();
    ~CPropertyGrid() override;

    bool Create(Ui::DWORD style, const Ui::RECT& pixels, Ui::CWnd* parent, int id);
    bool SubclassDlgItem(int id, Ui::CWnd* parent) override;

    // Sections and items. Each add gives the new id, or -1 when no section has the id or
    // the section already holds an item of that name.
    int AddSection(const std::string& name, bool collapsed = false, int insertBefore = -1);
    int AddCustomItem(int section, const std::string& name, ICustomItem* custom, bool editable = true);
    int AddStringItem(int section, const std::string& name, const std::string& value, bool editable = true);
    int AddTextItem(int section, const std::string& name, const std::string& value, bool editable = true);
    int AddIntegerItem(int section, const std::string& name, int value, const std::string& format = "",
                       bool editable = true, bool undefined = false);
    int AddDoubleItem(int section, const std::string& name, double value, const std::string& format = "",
                      bool editable = true, bool undefined = false);
    int AddComboItem(int section, const std::string& name, const std::vector<std::string>& options, int chosen,
                     bool editable = true, bool undefined = false);
    int AddBoolItem(int section, const std::string& name, bool value, bool editable = true, bool undefined = false);
    int AddDateItem(int section, const std::string& name, const Ui::COleDateTime& value, const std::string& format = "",
                    bool editable = true, bool undefined = false);
    int AddDateTimeItem(int section, const std::string& name, const Ui::COleDateTime& value,
                        const std::string& format = "", bool editable = true, bool undefined = false);
    int AddFileItem(int section, const std::string& name, const std::string& path, const std::string& filter = "",
                    bool editable = true);
    int AddFolderItem(int section, const std::string& name, const std::string& path, const std::string& title = "",
                      bool editable = true);
    int AddColorItem(int section, const std::string& name, Ui::COLORREF value, bool editable = true,
                     bool undefined = false);
    int AddFontItem(int section, const std::string& name, const Ui::LOGFONT& value, bool editable = true,
                    bool undefined = false);

    // Getters fail (false, the out value untouched) for an unknown id, an undefined item
    // or another type.
    bool GetItemValue(int id, std::string& value) const;
    bool GetItemValue(int id, int& value) const;
    bool GetItemValue(int id, double& value) const;
    bool GetItemValue(int id, Ui::COLORREF& value) const;
    bool GetItemValue(int id, bool& value) const;
    bool GetItemValue(int id, Ui::COleDateTime& value) const;
    bool GetItemValue(int id, Ui::LOGFONT& value) const;
    // Setters store the value and define the item; the owner is not told, and the item
    // then counts as modified.
    bool SetItemValue(int id, const std::string& value);
    bool SetItemValue(int id, const char* value) { return SetItemValue(id, std::string(value ? value : "")); }
    bool SetItemValue(int id, int value);
    bool SetItemValue(int id, double value);
    bool SetItemValue(int id, Ui::COLORREF value);
    bool SetItemValue(int id, bool value);
    bool SetItemValue(int id, const Ui::COleDateTime& value);
    bool SetItemValue(int id, const Ui::LOGFONT& value);

    // The integer item holds a count (0 and up); false for an unknown id or another type.
    bool SetItemIsCount(int id);

    Section* FindSection(int id);
    const Section* FindSection(int id) const;
    Item* FindItem(int id);
    const Item* FindItem(int id) const;
    bool IsSectionCollapsed(int id) const;
    int GetItemCount(int sectionId) const;
    void ExpandSection(int id, bool expand);
    void ExpandAll(bool expand);
    bool RemoveSection(int id);
    void ResetContents();
    void SetDisplayMode(int mode);
    int GetDisplayMode() const { return displayMode_; }
    void AcceptChanges();
    const std::vector<Section>& Sections() const { return sections_; }

    bool GetShadeTitles() const { return shadeTitles_; }
    void SetShadeTitles(bool value) { shadeTitles_ = value; }
    bool GetDrawLines() const { return drawLines_; }
    void SetDrawLines(bool value) { drawLines_ = value; }
    bool GetDrawGutter() const { return drawGutter_; }
    void SetDrawGutter(bool value) { drawGutter_ = value; }
    bool GetFocusDisabled() const { return focusDisabled_; }
    void SetFocusDisabled(bool value) { focusDisabled_ = value; }
    bool GetBoldModified() const { return boldModified_; }
    void SetBoldModified(bool value) { boldModified_ = value; }
    bool GetBoldEditables() const { return boldEditables_; }
    void SetBoldEditables(bool value) { boldEditables_ = value; }
    int GetSplitterPosition() const { return splitter_; }
    const QFont& GetFont() const { return normalFont_; }
    const QFont& GetBoldFont() const { return boldFont_; }

    // View state, for the owner and for tests.
    int GetFocusedSection() const { return focusedSection_; }
    int GetFocusedItem() const { return focusedItem_; }
    int GetRowHeight() const { return rowHeight_; }
    int GetScrollPosition() const;
    bool IsScrollBarShown() const { return scrollBar_ && scrollShown_; }
    Ui::CWnd* GetEditor() const { return editor_.get(); }
    // The text a value shows (the pilcrow for a line break of a Text item); for Color,
    // the components beside the swatch. Files and folders are shown compacted.
    std::string GetValueText(const Item& item) const;

    void InitControl();
    void RecalcLayout();
    // Moves the splitter right as far as the longest name needs, while every value keeps
    // the room its widest text needs (every choice of a list) beside its button, and the
    // splitter stays where a drag could take it. A name still cut shows whole in a tooltip.
    void FitNameColumn();
    void FocusNext();
    void FocusPrevious();

    bool OnEvent(QEvent* event) override;
    // Arrows and characters belong to the grid, not to the dialog around it.
    Ui::UINT OnGetDlgCode() override { return Ui::DLGC_WANTARROWS | kWantChars; }
    void OnDestroy() override;

private:
    struct Row {
        Section* section;
        Item* item;  // null for a section's header
    };

    int AddItem(int section, ItemType type, const std::string& name, const void* value, bool editable, bool undefined);
    int AddWithExtra(int section, ItemType type, const std::string& name, const void* value, bool editable,
                     bool undefined, const std::string& extra);
    Item* FindTyped(int id, std::initializer_list<ItemType> types);
    const Item* FindTyped(int id, std::initializer_list<ItemType> types) const;
    void ValueSet();
    bool IsFocusable(const Item& item) const;

    // Layout and painting.
    std::vector<Row> DisplayRows();
    int DrawingWidth() const;
    void StoreRects();
    void Paint();
    void DrawSection(QPainter& painter, Section& section, int width, int y);
    void DrawItem(QPainter& painter, Item& item, int width, int indent, int y);
    // The width a name's cell gives its text, and the width the text needs.
    int NameRoom() const;
    int NameWidth(const Item& item) const;
    bool ShowNameTip(QPoint point, QPoint globalPoint);
    void SetScrollPosition(int position);
    void EnsureFocusVisible();
    std::vector<Row> FocusCandidates();

    // Input.
    void OnLButtonDown(QPoint point);
    void OnMouseMove(QPoint point, bool buttonDown);
    void OnLButtonUp(QPoint point);
    void OnLButtonDblClk();
    void OnMouseWheel(int delta);
    void OnScrollAction(int action);
    bool OnKeyDown(int key);
    bool OnChar(const QString& text);
    Item* FocusedItem();
    Section* FocusedSection();

    // Editors.
    void OpenEditor(Item& item);
    void OpenInPlaceEdit(Item& item);
    void OpenDropDown(Item& item);
    bool RunDialog(Item& item);
    bool EditTextInDialog(Item& item);
    bool EditDateTimeInDialog(Item& item);
    void CloseEditor();
    void ItemChanged(Item& item);
    Ui::LRESULT OnComboSelChanged(Ui::WPARAM index);
    Ui::LRESULT OnEndLabelEdit(const char* text);
    Ui::LRESULT OnDateSelChanged();
    void TellRefused(const std::string& text);
    Ui::CWnd* DialogParent();
    Ui::RECT ValueCell(const Item& item) const;

    std::vector<Section> sections_;
    int focusedSection_ = -1;
    int focusedItem_ = -1;
    int displayMode_ = 0;
    bool shadeTitles_ = true;
    bool drawLines_ = true;
    bool drawGutter_ = true;
    bool focusDisabled_ = true;
    bool boldModified_ = false;
    bool boldEditables_ = false;
    int splitter_ = 0;
    bool draggingSplitter_ = false;
    QPoint lastPoint_;
    QFont normalFont_;
    QFont boldFont_;
    bool fontsMade_ = false;
    int rowHeight_ = 0;
    Ui::RECT buttonRect_;
    bool buttonHeld_ = false;
    bool buttonPressed_ = false;
    bool valueClick_ = false;
    bool customCapture_ = false;
    std::unique_ptr<Ui::CWnd> editor_;
    int nextSectionId_ = 0;
    int nextItemId_ = 0;
    int wheelRemainder_ = 0;
    // Set while the window or the object goes: a commit then tells no one.
    bool destroying_ = false;

    std::string trueText_ = "True";
    std::string falseText_ = "False";
    std::string okText_;
    std::string cancelText_;
    std::string dateText_ = "Date";
    std::string timeText_ = "Time";
    std::string undefinedText_;
    std::string emptyText_;

    Ui::COLORREF nameColor_;
    Ui::COLORREF titleColor_;
    Ui::COLORREF backgroundColor_;
    Ui::COLORREF shadeColor_;
    Ui::COLORREF focusColor_;
    Ui::COLORREF focusTextColor_;
    Ui::COLORREF valueColor_;
    Ui::COLORREF disabledColor_;

    // A child of the window: it goes when the window goes, and the object may outlive both.
    QPointer<QScrollBar> scrollBar_;
    bool scrollShown_ = false;
};

}  // namespace Widgets
