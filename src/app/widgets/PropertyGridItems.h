#pragma once

#include <QPoint>
#include <string>
#include <vector>

#include "ui/GdiValues.h"
#include "ui/OleDateTime.h"
#include "ui/messages/Types.h"

class QPainter;

namespace Widgets {

class CPropertyGrid;

// The thirteen kinds of value a grid item holds; the code is stored in every item.
enum class ItemType : int {
    Custom = 0,
    String = 1,
    Text = 2,  // several lines
    Integer = 3,
    Double = 4,
    Combo = 5,
    Bool = 6,
    Date = 7,
    DateTime = 8,
    File = 9,
    Folder = 10,
    Color = 11,
    Font = 12,
};

// How an item's value is changed: nothing, an edit over the value, a list or calendar
// below the row, or a dialog behind a "..." button.
constexpr int kEditorNone = 0;
constexpr int kEditorInPlace = 1;
constexpr int kEditorDropDown = 2;
constexpr int kEditorButton = 3;

// The editor kind of a type code (custom items answer for themselves, so 0 here).
int EditorKindOfType(int type);

// Font descriptions are equal when every field is; the face compares up to its end.
bool SameFont(const Ui::LOGFONT& a, const Ui::LOGFONT& b);

// A value of the caller's own kind. The grid keeps only a pointer and never deletes it;
// the caller keeps it alive as long as its item exists.
class ICustomItem {
public:
    virtual ~ICustomItem() = default;

    virtual int GetEditorKind() = 0;
    // Draws the value in its cell; the painter's state is restored afterwards.
    virtual void Draw(QPainter& painter, const Ui::RECT& rect, bool focused) = 0;
    virtual void StoreBaseline() = 0;
    // True: the item takes the mouse until the button is released.
    virtual bool OnLButtonDown(const Ui::RECT& rect, QPoint point) = 0;
    virtual void OnMouseMove(const Ui::RECT& rect, QPoint point) = 0;
    virtual void OnLButtonUp(const Ui::RECT& rect, QPoint point) = 0;
    // The starting text of the in-place edit, and the edited text back (true: changed).
    virtual std::string GetValueText() = 0;
    virtual bool SetValueText(const std::string& text) = 0;
    // Opens the item's own list over the cell (splitter to the right edge, the row).
    virtual void OnDropDown(const Ui::RECT& cell) = 0;
    // True: the value changed.
    virtual bool OnButtonClick() = 0;

    CPropertyGrid* m_pGrid = nullptr;
};

// One value of the grid. Only the field of the item's type means anything; the others
// keep their starting values.
struct PropertyGridItem {
    int id = -1;
    bool editable = true;
    bool undefined = false;
    int type = 0;
    std::string name;
    // The display format, file filter or folder title, or a combo's options.
    std::vector<std::string> options;

    int intValue = 0;
    // An integer that counts something: its edit takes digits only, and less than 0 is refused.
    bool count = false;
    double doubleValue = 0.0;
    std::string stringValue;
    bool boolValue = false;
    Ui::COleDateTime dateValue;
    Ui::COLORREF colorValue = 0;
    Ui::LOGFONT fontValue;
    ICustomItem* custom = nullptr;

    // The values the item counts as unmodified against.
    bool baseUndefined = false;
    int baseInt = 0;
    double baseDouble = 0.0;
    std::string baseString;
    bool baseBool = false;
    Ui::COleDateTime baseDate;
    Ui::COLORREF baseColor = 0;
    Ui::LOGFONT baseFont;

    // Where the row was last laid out, in the grid's client coordinates.
    Ui::RECT nameRect;
    Ui::RECT valueRect;

    int EditorKind() const;
    void StoreBaseline();
    bool IsModified() const;
};

struct PropertyGridSection {
    int id = -1;
    std::string name;
    bool collapsed = false;
    std::vector<PropertyGridItem> items;
    Ui::RECT expanderRect;
    Ui::RECT headerRect;
};

}  // namespace Widgets
