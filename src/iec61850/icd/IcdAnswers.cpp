// The second step of the export: the program's answers to the offered settings.

#include <string>
#include <vector>

#include "iec61850/icd/DecimalText.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/XmlCursor.h"

namespace Iec61850::Acsi::Scl {

namespace {

// How an item's number is taken.
enum class ItemKind {
    Count,    // a count that cannot be negative
    Setting,  // an index into "Dyn", "Conf", "Fix"
    Flag,     // any number; non-zero is true
};

struct Item {
    const char* name;
    ItemKind kind;
    std::int32_t* number = nullptr;
    bool* flag = nullptr;
};

struct Section {
    const char* name;
    std::vector<Item> items;
};

// The sections in reading order, each with its items in table order, bound to `answers`.
std::vector<Section> SectionsOf(IcdExporter::Answers& answers) {
    using K = ItemKind;
    return {
        {"DynDataSet", {{"max", K::Count, &answers.dynMax}, {"maxAttributes", K::Count, &answers.dynMaxAttributes}}},
        {"LogSettings",
         {{"cbName", K::Setting, &answers.logCbName},
          {"datSet", K::Setting, &answers.logDatSet},
          {"logEna", K::Setting, &answers.logLogEna},
          {"trgOps", K::Setting, &answers.logTrgOps},
          {"intgPd", K::Setting, &answers.logIntgPd}}},
        {"ReportSettings",
         {{"cbName", K::Setting, &answers.reportCbName},
          {"index", K::Flag, nullptr, &answers.reportIndex},
          {"datSet", K::Setting, &answers.reportDatSet},
          {"rptID", K::Setting, &answers.reportRptId},
          {"optFields", K::Setting, &answers.reportOptFields},
          {"bufTime", K::Setting, &answers.reportBufTime},
          {"trgOps", K::Setting, &answers.reportTrgOps},
          {"intgPd", K::Setting, &answers.reportIntgPd}}},
        {"SMVSettings",
         {{"cbName", K::Setting, &answers.smvCbName},
          {"datSet", K::Setting, &answers.smvDatSet},
          {"svID", K::Setting, &answers.smvSvId},
          {"optFields", K::Setting, &answers.smvOptFields},
          {"smpRate", K::Setting, &answers.smvSmpRate}}},
        {"ConfLNs",
         {{"fixPrefix", K::Flag, nullptr, &answers.fixPrefix}, {"fixLnInst", K::Flag, nullptr, &answers.fixLnInst}}},
    };
}

// Stores the current element's Value into the item; the reason when it is refused.
bool ReadItem(const XmlCursor& cursor, const Section& section, const Item& item, std::string& reason) {
    const std::string where = std::string("The export answer ") + section.name + "/" + item.name;
    std::string text;
    if (!cursor.ReadAttribute("Value", text)) {
        reason = where + " has no Value.";
        return false;
    }
    const std::optional<std::int32_t> number = ReadWholeDecimal(text);
    if (!number) {
        reason = where + " has the Value \"" + text + "\", which is not a whole decimal number.";
        return false;
    }
    switch (item.kind) {
        case ItemKind::Count:
            if (*number < 0) {
                reason = where + " has the Value " + text + ", which is negative.";
                return false;
            }
            *item.number = *number;
            break;
        case ItemKind::Setting:
            if (*number < SettingDyn || *number > SettingFix) {
                reason = where + " has the Value " + text + ", which is not 0 (Dyn), 1 (Conf) or 2 (Fix).";
                return false;
            }
            *item.number = *number;
            break;
        case ItemKind::Flag: *item.flag = *number != 0; break;
    }
    return true;
}

}  // namespace

std::int32_t IcdExporter::ReadAnswers(std::string_view answers) {
    lastFailure_.clear();
    if (state_ == 0) return Refuse("The export answers came before any export settings were offered.");
    if (answers.empty()) return Refuse("The export answers are empty.");
    XmlCursor cursor;
    if (!cursor.ParseString(std::string(answers))) return Refuse("The export answers are not well-formed XML.");

    Answers read;  // every field at its default
    std::string reason;
    for (const Section& section : SectionsOf(read)) {
        cursor.Rewind();
        if (!cursor.SearchDescendants(section.name)) continue;
        // The first item below the section; each further one among the following siblings
        // of the last one read. The first item not found ends the section.
        bool first = true;
        for (const Item& item : section.items) {
            const bool found = first ? cursor.SearchDescendants(item.name) : cursor.SeekSibling(item.name);
            if (!found && !first) break;
            first = false;
            if (found && !ReadItem(cursor, section, item, reason)) return Refuse(reason);
        }
    }
    read.gseCbName = read.gseDatSet = read.gseAppId = read.gseDataLabel = SettingFix;
    answers_ = read;
    state_ = 2;
    return 0;
}

}  // namespace Iec61850::Acsi::Scl
