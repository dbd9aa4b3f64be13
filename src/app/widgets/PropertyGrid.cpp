#include "app/widgets/PropertyGrid.h"

#include <QWidget>
#include <algorithm>

#include "ui/messages/MessageParams.h"

namespace Widgets {

using namespace Ui;

CPropertyGrid::CPropertyGrid()
    : nameColor_(GetSysColor(COLOR_WINDOWTEXT)),
      titleColor_(GetSysColor(COLOR_WINDOWTEXT)),
      backgroundColor_(GetSysColor(COLOR_WINDOW)),
      shadeColor_(GetSysColor(COLOR_BTNFACE)),
      focusColor_(GetSysColor(COLOR_HIGHLIGHT)),
      focusTextColor_(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      valueColor_(GetSysColor(COLOR_WINDOWTEXT)),
      disabledColor_(GetSysColor(COLOR_GRAYTEXT)) {
    MapMessage(WM_PG_COMBOSELCHANGED, [this](WPARAM wParam, LPARAM) { return OnComboSelChanged(wParam); });
    MapMessage(WM_PG_ENDLABELEDIT,
               [this](WPARAM wParam, LPARAM) { return OnEndLabelEdit(ParamAs<const char>(wParam)); });
    MapMessage(WM_PG_DATESELCHANGED, [this](WPARAM, LPARAM) { return OnDateSelChanged(); });
}

CPropertyGrid::~CPropertyGrid() {
    destroying_ = true;
    if (editor_) {
        editor_->DestroyWindow();
        editor_.reset();
    }
    // A window adopted from a dialog stays after the grid; its bar must not call back.
    delete scrollBar_.data();
}

int CPropertyGrid::AddSection(const std::string& name, bool collapsed, int insertBefore) {
    Section section;
    section.id = nextSectionId_;
    section.name = name;
    section.collapsed = collapsed;
    auto at = std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return s.id == insertBefore; });
    sections_.insert(at, std::move(section));
    RecalcLayout();
    return nextSectionId_++;
}

int CPropertyGrid::AddItem(int sectionId, ItemType type, const std::string& name, const void* value, bool editable,
                           bool undefined) {
    Section* section = FindSection(sectionId);
    if (!section) return -1;
    for (const Item& existing : section->items) {
        if (existing.name == name) return -1;
    }
    Item item;
    item.id = nextItemId_++;
    item.type = static_cast<int>(type);
    item.name = name;
    item.editable = editable;
    item.undefined = undefined;
    switch (type) {
        case ItemType::Custom: item.custom = static_cast<ICustomItem*>(const_cast<void*>(value)); break;
        case ItemType::String:
        case ItemType::Text:
        case ItemType::File:
        case ItemType::Folder: item.stringValue = *static_cast<const std::string*>(value); break;
        case ItemType::Integer:
        case ItemType::Combo: item.intValue = *static_cast<const int*>(value); break;
        case ItemType::Double: item.doubleValue = *static_cast<const double*>(value); break;
        case ItemType::Bool: item.boolValue = *static_cast<const bool*>(value); break;
        case ItemType::Date:
        case ItemType::DateTime: item.dateValue = *static_cast<const COleDateTime*>(value); break;
        case ItemType::Color: item.colorValue = *static_cast<const COLORREF*>(value); break;
        case ItemType::Font: item.fontValue = *static_cast<const LOGFONT*>(value); break;
    }
    item.StoreBaseline();
    section->items.push_back(std::move(item));
    RecalcLayout();
    return section->items.back().id;
}

int CPropertyGrid::AddWithExtra(int section, ItemType type, const std::string& name, const void* value, bool editable,
                                bool undefined, const std::string& extra) {
    int id = AddItem(section, type, name, value, editable, undefined);
    if (Item* item = FindItem(id)) item->options.push_back(extra);
    return id;
}

int CPropertyGrid::AddCustomItem(int section, const std::string& name, ICustomItem* custom, bool editable) {
    int id = AddItem(section, ItemType::Custom, name, custom, editable, false);
    if (id >= 0 && custom) custom->m_pGrid = this;
    return id;
}

int CPropertyGrid::AddStringItem(int section, const std::string& name, const std::string& value, bool editable) {
    return AddItem(section, ItemType::String, name, &value, editable, false);
}

int CPropertyGrid::AddTextItem(int section, const std::string& name, const std::string& value, bool editable) {
    return AddItem(section, ItemType::Text, name, &value, editable, false);
}

int CPropertyGrid::AddIntegerItem(int section, const std::string& name, int value, const std::string& format,
                                  bool editable, bool undefined) {
    return AddWithExtra(section, ItemType::Integer, name, &value, editable, undefined, format);
}

int CPropertyGrid::AddDoubleItem(int section, const std::string& name, double value, const std::string& format,
                                 bool editable, bool undefined) {
    return AddWithExtra(section, ItemType::Double, name, &value, editable, undefined, format);
}

int CPropertyGrid::AddComboItem(int section, const std::string& name, const std::vector<std::string>& options,
                                int chosen, bool editable, bool undefined) {
    int id = AddItem(section, ItemType::Combo, name, &chosen, editable, undefined);
    if (Item* item = FindItem(id)) item->options = options;
    return id;
}

int CPropertyGrid::AddBoolItem(int section, const std::string& name, bool value, bool editable, bool undefined) {
    return AddItem(section, ItemType::Bool, name, &value, editable, undefined);
}

int CPropertyGrid::AddDateItem(int section, const std::string& name, const COleDateTime& value,
                               const std::string& format, bool editable, bool undefined) {
    return AddWithExtra(section, ItemType::Date, name, &value, editable, undefined, format);
}

int CPropertyGrid::AddDateTimeItem(int section, const std::string& name, const COleDateTime& value,
                                   const std::string& format, bool editable, bool undefined) {
    return AddWithExtra(section, ItemType::DateTime, name, &value, editable, undefined, format);
}

int CPropertyGrid::AddFileItem(int section, const std::string& name, const std::string& path, const std::string& filter,
                               bool editable) {
    return AddWithExtra(section, ItemType::File, name, &path, editable, false, filter);
}

int CPropertyGrid::AddFolderItem(int section, const std::string& name, const std::string& path,
                                 const std::string& title, bool editable) {
    return AddWithExtra(section, ItemType::Folder, name, &path, editable, false, title);
}

int CPropertyGrid::AddColorItem(int section, const std::string& name, COLORREF value, bool editable, bool undefined) {
    return AddItem(section, ItemType::Color, name, &value, editable, undefined);
}

int CPropertyGrid::AddFontItem(int section, const std::string& name, const LOGFONT& value, bool editable,
                               bool undefined) {
    return AddItem(section, ItemType::Font, name, &value, editable, undefined);
}

CPropertyGrid::Item* CPropertyGrid::FindTyped(int id, std::initializer_list<ItemType> types) {
    Item* item = FindItem(id);
    if (!item) return nullptr;
    for (ItemType type : types) {
        if (item->type == static_cast<int>(type)) return item;
    }
    return nullptr;
}

const CPropertyGrid::Item* CPropertyGrid::FindTyped(int id, std::initializer_list<ItemType> types) const {
    return const_cast<CPropertyGrid*>(this)->FindTyped(id, types);
}

bool CPropertyGrid::GetItemValue(int id, std::string& value) const {
    const Item* item =
        FindTyped(id, {ItemType::String, ItemType::Text, ItemType::File, ItemType::Folder, ItemType::Combo});
    if (!item || item->undefined) return false;
    if (item->type != static_cast<int>(ItemType::Combo)) {
        value = item->stringValue;
        return true;
    }
    if (item->intValue < 0 || item->intValue >= static_cast<int>(item->options.size())) return false;
    value = item->options[static_cast<size_t>(item->intValue)];
    return true;
}

bool CPropertyGrid::GetItemValue(int id, int& value) const {
    const Item* item = FindTyped(id, {ItemType::Integer, ItemType::Combo});
    if (!item || item->undefined) return false;
    value = item->intValue;
    return true;
}

bool CPropertyGrid::GetItemValue(int id, double& value) const {
    const Item* item = FindTyped(id, {ItemType::Double});
    if (!item || item->undefined) return false;
    value = item->doubleValue;
    return true;
}

bool CPropertyGrid::GetItemValue(int id, COLORREF& value) const {
    const Item* item = FindTyped(id, {ItemType::Color});
    if (!item || item->undefined) return false;
    value = item->colorValue;
    return true;
}

bool CPropertyGrid::GetItemValue(int id, bool& value) const {
    const Item* item = FindTyped(id, {ItemType::Bool});
    if (!item || item->undefined) return false;
    value = item->boolValue;
    return true;
}

bool CPropertyGrid::GetItemValue(int id, COleDateTime& value) const {
    const Item* item = FindTyped(id, {ItemType::Date, ItemType::DateTime});
    if (!item || item->undefined) return false;
    value = item->dateValue;
    return true;
}

bool CPropertyGrid::GetItemValue(int id, LOGFONT& value) const {
    const Item* item = FindTyped(id, {ItemType::Font});
    if (!item || item->undefined) return false;
    value = item->fontValue;
    return true;
}

void CPropertyGrid::ValueSet() { Invalidate(); }

bool CPropertyGrid::SetItemValue(int id, const std::string& value) {
    Item* item = FindTyped(id, {ItemType::String, ItemType::Text, ItemType::File, ItemType::Folder});
    if (!item) return false;
    item->stringValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, int value) {
    Item* item = FindTyped(id, {ItemType::Integer, ItemType::Combo});
    if (!item) return false;
    item->intValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, double value) {
    Item* item = FindTyped(id, {ItemType::Double});
    if (!item) return false;
    item->doubleValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, COLORREF value) {
    Item* item = FindTyped(id, {ItemType::Color});
    if (!item) return false;
    item->colorValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, bool value) {
    Item* item = FindTyped(id, {ItemType::Bool});
    if (!item) return false;
    item->boolValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, const COleDateTime& value) {
    Item* item = FindTyped(id, {ItemType::Date, ItemType::DateTime});
    if (!item) return false;
    item->dateValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

bool CPropertyGrid::SetItemValue(int id, const LOGFONT& value) {
    Item* item = FindTyped(id, {ItemType::Font});
    if (!item) return false;
    item->fontValue = value;
    item->undefined = false;
    ValueSet();
    return true;
}

CPropertyGrid::Section* CPropertyGrid::FindSection(int id) {
    for (Section& section : sections_) {
        if (section.id == id) return &section;
    }
    return nullptr;
}

const CPropertyGrid::Section* CPropertyGrid::FindSection(int id) const {
    return const_cast<CPropertyGrid*>(this)->FindSection(id);
}

CPropertyGrid::Item* CPropertyGrid::FindItem(int id) {
    for (Section& section : sections_) {
        for (Item& item : section.items) {
            if (item.id == id) return &item;
        }
    }
    return nullptr;
}

const CPropertyGrid::Item* CPropertyGrid::FindItem(int id) const {
    return const_cast<CPropertyGrid*>(this)->FindItem(id);
}

bool CPropertyGrid::IsSectionCollapsed(int id) const {
    const Section* section = FindSection(id);
    return section && section->collapsed;
}

int CPropertyGrid::GetItemCount(int sectionId) const {
    const Section* section = FindSection(sectionId);
    return section ? static_cast<int>(section->items.size()) : 0;
}

void CPropertyGrid::ExpandSection(int id, bool expand) {
    Section* section = FindSection(id);
    if (!section) return;
    section->collapsed = !expand;
    RecalcLayout();
}

void CPropertyGrid::ExpandAll(bool expand) {
    for (Section& section : sections_) section.collapsed = !expand;
    RecalcLayout();
}

bool CPropertyGrid::RemoveSection(int id) {
    auto it = std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return s.id == id; });
    if (it == sections_.end()) return false;
    // An editor open on one of its items would commit into an item that is gone.
    if (FocusedItem() &&
        std::any_of(it->items.begin(), it->items.end(), [&](const Item& item) { return item.id == focusedItem_; })) {
        CloseEditor();
        focusedItem_ = -1;
    }
    if (focusedSection_ == id) focusedSection_ = -1;
    sections_.erase(it);
    return true;
}

void CPropertyGrid::ResetContents() {
    CloseEditor();
    sections_.clear();
    focusedSection_ = -1;
    focusedItem_ = -1;
    nextSectionId_ = 0;
    nextItemId_ = 0;
    RecalcLayout();
}

void CPropertyGrid::SetDisplayMode(int mode) {
    displayMode_ = mode;
    RecalcLayout();
}

void CPropertyGrid::AcceptChanges() {
    for (Section& section : sections_) {
        for (Item& item : section.items) item.StoreBaseline();
    }
}

bool CPropertyGrid::IsFocusable(const Item& item) const { return item.editable || focusDisabled_; }

CPropertyGrid::Item* CPropertyGrid::FocusedItem() { return focusedItem_ >= 0 ? FindItem(focusedItem_) : nullptr; }

CPropertyGrid::Section* CPropertyGrid::FocusedSection() {
    return focusedSection_ >= 0 ? FindSection(focusedSection_) : nullptr;
}

}  // namespace Widgets
