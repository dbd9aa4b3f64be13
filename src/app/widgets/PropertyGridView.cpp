// The grid's window: fonts and row height, layout and scrolling, painting, focus moves.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

#include "app/widgets/NumberText.h"
#include "app/widgets/PropertyGrid.h"
#include "ui/ControlAccess.h"
#include "ui/DialogUnits.h"
#include "ui/Drawing.h"
#include "ui/Text.h"

namespace Widgets {

using namespace Ui;

namespace {

constexpr int kIndent = 10;
constexpr int kNameLeft = CPropertyGrid::kNameTextLeft;
static_assert(kNameLeft > kIndent + 4, "a name starts right of the focus band's edge");
constexpr int kFocusLeft = kIndent + 4;
constexpr int kScrollBarId = 1000;
constexpr UINT kCellText = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

}  // namespace

bool CPropertyGrid::Create(DWORD style, const RECT& pixels, CWnd* parent, int id) {
    if (!CWnd::Create(style, pixels, parent, id)) return false;
    InitControl();
    return true;
}

bool CPropertyGrid::SubclassDlgItem(int id, CWnd* parent) {
    if (!CWnd::SubclassDlgItem(id, parent)) return false;
    InitControl();
    return true;
}

void CPropertyGrid::InitControl() {
    QWidget* widget = GetWidget();
    if (!widget) return;
    splitter_ = widget->width() / 2;
    if (!fontsMade_) {
        // A missing face becomes the application's font, as dialog fonts do.
        QWidget* parent = widget->parentWidget();
        normalFont_ = parent ? parent->font() : TemplateFont("Tahoma", 9);
        if (!parent) normalFont_.setPointSizeF(8.5);
        boldFont_ = normalFont_;
        boldFont_.setWeight(QFont::Bold);
        fontsMade_ = true;
    }
    widget->setFont(normalFont_);
    rowHeight_ = QFontMetrics(normalFont_).height() + 4;
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    // A placeholder adopted from a template may be a static that lets clicks through.
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    widget->setMouseTracking(true);
    widget->setFocusPolicy(Qt::StrongFocus);
    CWnd* parent = GetParent();
    if (okText_.empty()) {
        okText_ = "OK";
        if (parent && parent->GetDlgItemWidget(IDOK)) okText_ = parent->GetDlgItemText(IDOK);
    }
    if (cancelText_.empty()) {
        cancelText_ = "Cancel";
        if (parent && parent->GetDlgItemWidget(IDCANCEL)) cancelText_ = parent->GetDlgItemText(IDCANCEL);
    }
    RecalcLayout();
}

void CPropertyGrid::OnDestroy() {
    destroying_ = true;
    CloseEditor();
    destroying_ = false;
    scrollBar_ = nullptr;
    scrollShown_ = false;
}

std::vector<CPropertyGrid::Row> CPropertyGrid::DisplayRows() {
    std::vector<Row> rows;
    if (displayMode_ == 1) {
        for (Section& section : sections_) {
            for (Item& item : section.items) rows.push_back({&section, &item});
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.item->name < b.item->name; });
        return rows;
    }
    for (Section& section : sections_) {
        if (displayMode_ == 0) rows.push_back({&section, nullptr});
        if (displayMode_ == 0 && section.collapsed) continue;
        for (Item& item : section.items) rows.push_back({&section, &item});
    }
    return rows;
}

int CPropertyGrid::GetScrollPosition() const { return IsScrollBarShown() ? scrollBar_->value() : 0; }

// The bar keeps the positions a Win32 bar reaches: 0 to total - page + 1.
void CPropertyGrid::RecalcLayout() {
    QWidget* widget = GetWidget();
    if (!scrollBar_) scrollShown_ = false;
    if (!widget) return;
    int position = scrollBar_ && scrollBar_->isVisible() ? scrollBar_->value() : 0;
    int total = static_cast<int>(DisplayRows().size()) * rowHeight_;
    int page = widget->height();
    if (total >= page) {
        if (!scrollBar_) {
            scrollBar_ = new QScrollBar(Qt::Vertical, widget);
            SetControlId(scrollBar_, kScrollBarId);
            scrollBar_->setFocusPolicy(Qt::NoFocus);
            QObject::connect(scrollBar_, &QScrollBar::actionTriggered, widget,
                             [this](int action) { OnScrollAction(action); });
            QObject::connect(scrollBar_, &QScrollBar::valueChanged, widget, [this] { Invalidate(); });
        }
        int barWidth = widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        scrollBar_->setGeometry(widget->width() - barWidth, 0, barWidth, page);
        scrollBar_->setEnabled(true);
        scrollBar_->setRange(0, std::max(0, total - page + 1));
        scrollBar_->setPageStep(std::max(1, page));
        scrollBar_->setSingleStep(std::max(1, rowHeight_));
        scrollBar_->setValue(position);
        scrollBar_->show();
        scrollShown_ = true;
    } else if (scrollBar_) {
        scrollBar_->setEnabled(false);
        scrollBar_->hide();
        scrollShown_ = false;
    }
    Invalidate();
}

int CPropertyGrid::DrawingWidth() const {
    QWidget* widget = GetWidget();
    if (!widget) return 0;
    int width = widget->width();
    if (IsScrollBarShown()) width -= scrollBar_->width();
    return width;
}

// Rectangles for hit tests, as the next paint will draw them.
void CPropertyGrid::StoreRects() {
    int width = DrawingWidth();
    int y = -GetScrollPosition();
    buttonRect_ = RECT{};
    for (Section& section : sections_) {
        section.headerRect = RECT{};
        section.expanderRect = RECT{};
        for (Item& item : section.items) item.nameRect = item.valueRect = RECT{};
    }
    for (const Row& row : DisplayRows()) {
        if (!row.item) {
            row.section->headerRect = RECT{kFocusLeft, y, width, y + rowHeight_};
            row.section->expanderRect = RECT{2, y + 4, 11, y + 13};
        } else {
            Item& item = *row.item;
            int valueEnd = width;
            if (item.id == focusedItem_ && item.editable && item.EditorKind() != kEditorNone) {
                valueEnd = width - rowHeight_;
                buttonRect_ = RECT{width - rowHeight_, y, width, y + rowHeight_};
                if (item.EditorKind() == kEditorInPlace) buttonRect_.left = splitter_;
            }
            item.nameRect = RECT{0, y, splitter_, y + rowHeight_};
            item.valueRect = RECT{splitter_, y, valueEnd, y + rowHeight_};
        }
        y += rowHeight_;
    }
}

void CPropertyGrid::Paint() {
    QWidget* widget = GetWidget();
    QPainter painter(widget);
    int width = DrawingWidth();
    int height = widget->height();
    painter.fillRect(widget->rect(), ToQColor(backgroundColor_));
    painter.setFont(normalFont_);
    if (sections_.empty()) {
        int client = widget->width();
        RECT r{client / 4, 10, client - client / 4, height};
        painter.setPen(ToQColor(nameColor_));
        DrawText(painter, emptyText_, r, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    StoreRects();
    int y = -GetScrollPosition();
    for (const Row& row : DisplayRows()) {
        bool visible = y + rowHeight_ > 0 && y < height;
        if (visible && !row.item) DrawSection(painter, *row.section, width, y);
        if (visible && row.item) DrawItem(painter, *row.item, width, kIndent, y);
        y += rowHeight_;
    }
}

void CPropertyGrid::DrawSection(QPainter& painter, Section& section, int width, int y) {
    QColor shade = ToQColor(shadeColor_);
    if (shadeTitles_) painter.fillRect(QRect(0, y, width, rowHeight_), shade);
    if (drawLines_) {
        painter.setPen(shade);
        painter.drawLine(0, y, width, y);
        painter.drawLine(0, y + rowHeight_, width, y + rowHeight_);
    }
    if (drawGutter_) {
        painter.setPen(shade);
        painter.drawLine(splitter_, y, splitter_, y + rowHeight_);
    }
    painter.setPen(ToQColor(titleColor_));
    painter.drawRect(2, y + 4, 8, 8);
    painter.drawLine(4, y + 8, 8, y + 8);
    if (section.collapsed) painter.drawLine(6, y + 6, 6, y + 10);
    painter.setFont(boldFont_);
    QFontMetrics metrics(boldFont_);
    if (section.id == focusedSection_) {
        int textWidth = metrics.horizontalAdvance(ToQt(section.name));
        int top = y + (rowHeight_ - metrics.height()) / 2;
        DrawFocusRect(painter, RECT{kFocusLeft, top, textWidth + 20, top + metrics.height()}, GetWidget());
    }
    painter.setPen(ToQColor(titleColor_));
    DrawText(painter, section.name, RECT{kNameLeft, y, width, y + rowHeight_}, kCellText);
    painter.setFont(normalFont_);
}

void CPropertyGrid::DrawItem(QPainter& painter, Item& item, int width, int indent, int y) {
    QColor shade = ToQColor(shadeColor_);
    if (shadeTitles_) painter.fillRect(QRect(0, y, indent + 4, rowHeight_), shade);
    if (drawLines_) {
        painter.setPen(shade);
        painter.drawLine(0, y + rowHeight_, width, y + rowHeight_);
    }
    if (drawGutter_) {
        painter.setPen(shade);
        painter.drawLine(splitter_, y, splitter_, y + rowHeight_);
    }
    bool focused = item.id == focusedItem_;
    int kind = item.EditorKind();
    if (focused && item.editable && kind != kEditorNone && kind != kEditorInPlace) {
        RECT button{width - rowHeight_, y, width, y + rowHeight_};
        UINT pushed = buttonHeld_ && buttonPressed_ ? DFCS_PUSHED : 0;
        if (kind == kEditorDropDown) {
            DrawFrameControl(painter, button, DFC_SCROLL, DFCS_SCROLLDOWN | pushed, GetWidget());
        } else {
            DrawFrameControl(painter, button, DFC_BUTTON, DFCS_BUTTONPUSH | pushed, GetWidget());
            painter.setFont(boldFont_);
            painter.setPen(GetWidget()->palette().color(QPalette::ButtonText));
            DrawText(painter, "...", button, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    painter.setFont(normalFont_);
    if (focused) {
        painter.fillRect(QRect(indent + 4, y, splitter_ - indent - 4, rowHeight_), ToQColor(focusColor_));
        painter.setPen(ToQColor(focusTextColor_));
    } else {
        painter.setPen(ToQColor(nameColor_));
    }
    DrawText(painter, item.name, RECT{indent + 8, y, splitter_ - 1, y + rowHeight_}, kCellText);

    painter.setPen(ToQColor(item.editable ? valueColor_ : disabledColor_));
    if (static_cast<ItemType>(item.type) == ItemType::Custom) {
        if (!item.custom) return;
        painter.save();
        item.custom->Draw(painter, item.valueRect, focused);
        painter.restore();
        return;
    }
    RECT text = item.valueRect;
    text.left += 4;
    bool bold = (item.IsModified() && boldModified_) || (item.editable && boldEditables_);
    painter.setFont(bold ? boldFont_ : normalFont_);
    if (item.undefined) {
        DrawText(painter, undefinedText_, text, kCellText);
        return;
    }
    if (static_cast<ItemType>(item.type) == ItemType::Color) {
        QRect swatch(text.left, y + 3, rowHeight_, rowHeight_ - 5);
        painter.setPen(ToQColor(nameColor_));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        painter.fillRect(swatch.adjusted(1, 1, -1, -1), ToQColor(item.colorValue));
        text.left = swatch.right() + 6;  // 6 pixels after the inner square
        painter.setPen(ToQColor(item.editable ? valueColor_ : disabledColor_));
    }
    DrawText(painter, GetValueText(item), text, kCellText);
}

int CPropertyGrid::NameRoom() const { return splitter_ - 1 - kNameLeft; }

int CPropertyGrid::NameWidth(const Item& item) const {
    return QFontMetrics(normalFont_).horizontalAdvance(ToQt(item.name));
}

void CPropertyGrid::FitNameColumn() {
    QWidget* widget = GetWidget();
    if (!widget) return;
    const QFontMetrics plain(normalFont_);
    const QFontMetrics bold(boldFont_);
    int names = 0;
    int values = 0;
    for (const Section& section : sections_) {
        for (const Item& item : section.items) {
            names = std::max(names, NameWidth(item));
            std::vector<std::string> shown = {GetValueText(item)};
            if (static_cast<ItemType>(item.type) == ItemType::Combo) shown = item.options;
            // A value may be drawn bold (modified, or editable with that option).
            for (const std::string& text : shown) values = std::max(values, bold.horizontalAdvance(ToQt(text)));
        }
    }
    const int width = DrawingWidth();
    // The text starts 4 pixels into its cell; the focused row's button takes a row's height.
    const int valueRoom = values + 4 + rowHeight_ + plain.averageCharWidth();
    const int wanted = names + 1 + kNameLeft + plain.averageCharWidth();
    const int limit = std::min(width - valueRoom, widget->width() * 4 / 5);
    if (wanted > splitter_ && limit > splitter_) {
        splitter_ = std::min(wanted, limit);
        Invalidate();
    }
}

bool CPropertyGrid::ShowNameTip(QPoint point, QPoint globalPoint) {
    StoreRects();
    for (const Section& section : sections_) {
        for (const Item& item : section.items) {
            const RECT& cell = item.nameRect;
            if (point.x() < cell.left || point.x() >= cell.right || point.y() < cell.top || point.y() >= cell.bottom)
                continue;
            if (NameWidth(item) <= NameRoom()) break;
            QToolTip::showText(globalPoint, ToQt(item.name), GetWidget(),
                               QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top));
            return true;
        }
    }
    QToolTip::hideText();
    return false;
}

std::string CPropertyGrid::GetValueText(const Item& item) const {
    const std::string& extra = item.options.empty() ? std::string() : item.options.front();
    switch (static_cast<ItemType>(item.type)) {
        case ItemType::String: return item.stringValue;
        case ItemType::Text: {
            std::string shown;
            for (size_t i = 0; i < item.stringValue.size(); ++i) {
                if (item.stringValue.compare(i, 2, "\r\n") == 0) {
                    shown += "\xC2\xB6";  // the pilcrow
                    ++i;
                } else {
                    shown += item.stringValue[i];
                }
            }
            return shown;
        }
        case ItemType::Integer: return FormatInteger(extra, item.intValue);
        case ItemType::Double: return FormatDouble(extra, item.doubleValue);
        case ItemType::Combo:
            if (item.intValue >= 0 && item.intValue < static_cast<int>(item.options.size()))
                return item.options[static_cast<size_t>(item.intValue)];
            return item.stringValue;
        case ItemType::Bool: return item.boolValue ? trueText_ : falseText_;
        case ItemType::Date: return item.dateValue.Format(extra.empty() ? "%x" : extra.c_str());
        case ItemType::DateTime: return extra.empty() ? item.dateValue.Format() : item.dateValue.Format(extra.c_str());
        case ItemType::File:
        case ItemType::Folder: {
            std::string path = item.stringValue.substr(0, 1023);
            QWidget* widget = GetWidget();
            if (!widget) return path;
            int width = item.valueRect.Width() - 4;
            return PathCompactPath(path, std::max(width, 0), QFontMetrics(normalFont_));
        }
        case ItemType::Color: {
            char text[48];
            std::snprintf(text, sizeof text, "%d; %d; %d", GetRValue(item.colorValue), GetGValue(item.colorValue),
                          GetBValue(item.colorValue));
            return text;
        }
        case ItemType::Font: {
            int dpi = GetWidget() ? GetWidget()->logicalDpiY() : 96;
            std::string face(item.fontValue.lfFaceName, strnlen(item.fontValue.lfFaceName, LF_FACESIZE));
            return face + "; " + std::to_string(PointSizeOf(item.fontValue, dpi)) + "pt";
        }
        default: return {};
    }
}

void CPropertyGrid::SetScrollPosition(int position) {
    if (!scrollBar_) return;
    scrollBar_->setValue(position);
    Invalidate();
}

std::vector<CPropertyGrid::Row> CPropertyGrid::FocusCandidates() {
    std::vector<Row> rows;
    for (Section& section : sections_) {
        if (displayMode_ == 0) rows.push_back({&section, nullptr});
        if (displayMode_ == 0 && section.collapsed) continue;
        for (Item& item : section.items) {
            if (IsFocusable(item)) rows.push_back({&section, &item});
        }
    }
    return rows;
}

void CPropertyGrid::FocusNext() {
    std::vector<Row> rows = FocusCandidates();
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        bool current = rows[i].item ? rows[i].item->id == focusedItem_
                                    : focusedItem_ < 0 && rows[i].section->id == focusedSection_;
        if (current) {
            next = (i + 1) % rows.size();
            break;
        }
    }
    focusedSection_ = focusedItem_ = -1;
    if (!rows.empty()) {
        if (rows[next].item) {
            focusedItem_ = rows[next].item->id;
        } else {
            focusedSection_ = rows[next].section->id;
        }
    }
    EnsureFocusVisible();
    Invalidate();
}

void CPropertyGrid::FocusPrevious() {
    std::vector<Row> rows = FocusCandidates();
    for (size_t i = 0; i < rows.size(); ++i) {
        bool current = rows[i].item ? rows[i].item->id == focusedItem_
                                    : focusedItem_ < 0 && rows[i].section->id == focusedSection_;
        if (!current) continue;
        const Row& previous = rows[(i + rows.size() - 1) % rows.size()];
        focusedSection_ = previous.item ? -1 : previous.section->id;
        focusedItem_ = previous.item ? previous.item->id : -1;
        break;
    }
    EnsureFocusVisible();
    Invalidate();
}

// A row that is not wholly in view is scrolled to the top edge of the grid.
void CPropertyGrid::EnsureFocusVisible() {
    QWidget* widget = GetWidget();
    if (!widget || !IsScrollBarShown()) return;
    int top = 0;
    for (const Row& row : DisplayRows()) {
        bool focused = row.item ? row.item->id == focusedItem_ : focusedItem_ < 0 && row.section->id == focusedSection_;
        if (focused) {
            int position = GetScrollPosition();
            if (top - position < 0 || top - position + rowHeight_ > widget->height()) SetScrollPosition(top);
            return;
        }
        top += rowHeight_;
    }
}

}  // namespace Widgets
