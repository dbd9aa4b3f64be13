#include "app/widgets/PropertyGridItems.h"

#include <cmath>
#include <cstring>

namespace Widgets {

int EditorKindOfType(int type) {
    switch (static_cast<ItemType>(type)) {
        case ItemType::String:
        case ItemType::Integer:
        case ItemType::Double: return kEditorInPlace;
        case ItemType::Combo:
        case ItemType::Bool:
        case ItemType::Date: return kEditorDropDown;
        case ItemType::Text:
        case ItemType::DateTime:
        case ItemType::File:
        case ItemType::Folder:
        case ItemType::Color:
        case ItemType::Font: return kEditorButton;
        default: return kEditorNone;
    }
}

bool SameFont(const Ui::LOGFONT& a, const Ui::LOGFONT& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::strncmp(a.lfFaceName, b.lfFaceName, Ui::LF_FACESIZE) == 0;
}

int PropertyGridItem::EditorKind() const {
    if (static_cast<ItemType>(type) == ItemType::Custom) return custom ? custom->GetEditorKind() : kEditorNone;
    return EditorKindOfType(type);
}

void PropertyGridItem::StoreBaseline() {
    baseUndefined = undefined;
    baseInt = intValue;
    baseDouble = doubleValue;
    baseString = stringValue;
    baseBool = boolValue;
    baseDate = dateValue;
    baseColor = colorValue;
    baseFont = fontValue;
    if (static_cast<ItemType>(type) == ItemType::Custom && custom) custom->StoreBaseline();
}

bool PropertyGridItem::IsModified() const {
    if (undefined != baseUndefined) return true;
    switch (static_cast<ItemType>(type)) {
        case ItemType::String:
        case ItemType::Text:
        case ItemType::File:
        case ItemType::Folder: return stringValue != baseString;
        case ItemType::Integer:
        case ItemType::Combo: return intValue != baseInt;
        case ItemType::Double: return std::isnan(doubleValue) || doubleValue != baseDouble;
        case ItemType::Bool: return boolValue != baseBool;
        case ItemType::Date:
        case ItemType::DateTime: return !(dateValue == baseDate);
        case ItemType::Color: return colorValue != baseColor;
        case ItemType::Font: return !SameFont(fontValue, baseFont);
        default: return false;
    }
}

}  // namespace Widgets
