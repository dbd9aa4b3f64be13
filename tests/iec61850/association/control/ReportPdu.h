#pragma once

// Information reports made by hand, as bytes on the wire would carry them, and taken in
// the way the association takes them: decoded as an MMS PDU, then filed as a report.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/DataTree.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/InformationReport.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/Structure.h"
#include "protocol/Asn1StringValues.h"

namespace AcsiClientTest {

// The leaves' first values (DataNode::initial) into a container of the node's type.
inline void TakeInitialValues(Mms::Container& value, const TestDevice::DataNode& node) {
    if (node.IsLeaf()) {
        if (!node.initial.empty()) value.FromText(node.initial);
        return;
    }
    auto* structure = dynamic_cast<Mms::Structure*>(&value);
    if (structure == nullptr) return;
    for (std::size_t i = 0; i < node.children.size() && i < structure->GetComponentCount(); ++i) {
        TakeInitialValues(*structure->GetComponent(i), node.children[i]);
    }
}

class ReportPdu {
public:
    // One field: a value of the type (a leaf or a structure) taken from the text (leaves only).
    ReportPdu& Add(const TestDevice::DataNode& type, const std::string& text = {}) {
        fields_.push_back({type, text, {}});
        return *this;
    }
    // A binary time of exactly these octets, whatever their count (a container makes only
    // four or six).
    ReportPdu& BinaryTimeOctets(const std::vector<std::uint8_t>& octets) {
        fields_.push_back({TestDevice::Leaf("", Mms::MmsTypeBinaryTime, 1), {}, octets});
        return *this;
    }
    ReportPdu& Text(const std::string& text) {
        return Add(TestDevice::Leaf("", Mms::MmsTypeVisibleString, -129), text);
    }
    ReportPdu& Bits(const std::string& bits) {
        return Add(TestDevice::Leaf("", Mms::MmsTypeBitString, static_cast<std::int32_t>(bits.size())), bits);
    }
    ReportPdu& Unsigned(const std::string& number) {
        return Add(TestDevice::Leaf("", Mms::MmsTypeUnsigned, 32), number);
    }
    ReportPdu& Boolean(const std::string& value) { return Add(TestDevice::Leaf("", Mms::MmsTypeBoolean), value); }

    // The PDU's bytes: a report on the list name, or (names given) on a list of variables
    // "domain/item", one per field.
    std::vector<std::uint8_t> Encode(const std::string& listName = "RPT",
                                     const std::vector<std::string>& variables = {}) const {
        std::vector<std::uint8_t> bytes;
        Mms::MmsPdu* pdu = Mms::MmsNewPdu();
        if (pdu == nullptr) return bytes;
        pdu->present = Mms::MmsPduUnconfirmed;
        pdu->choice.unconfirmed.service.present = Mms::MmsUnconfirmedInformationReport;
        Mms::MmsInformationReport& report = pdu->choice.unconfirmed.service.choice.informationReport;
        if (variables.empty()) {
            report.variableAccessSpecification.present = Mms::MmsVariableAccessVariableListName;
            Mms::MmsSetObjectName(report.variableAccessSpecification.choice.variableListName, {}, listName);
        } else {
            report.variableAccessSpecification.present = Mms::MmsVariableAccessListOfVariable;
            for (const std::string& name : variables) {
                const std::size_t slash = name.find('/');
                const bool vmdSpecific = slash == std::string::npos;
                Mms::MmsAppendVariableName(report.variableAccessSpecification.choice.listOfVariable,
                                           vmdSpecific ? std::string() : name.substr(0, slash),
                                           vmdSpecific ? name : name.substr(slash + 1));
            }
        }
        for (const auto& [type, text, binaryTime] : fields_) {
            if (!binaryTime.empty()) {
                auto* result = Mms::MmsAppendNew(report.listOfAccessResult, Mms::MmsAccessResultType);
                result->present = Mms::MmsAccessResultSuccess;
                result->choice.success.present = Mms::MmsDataBinaryTime;
                Asn1::BytesToAsn1OctetString(&result->choice.success.choice.binaryTime, binaryTime);
                continue;
            }
            Mms::Container* holder = nullptr;
            ContainerTestSupport::Type description = TestDevice::ToType(type);
            if (Mms::NewContainerFromType(*description, holder) != System::OkNoError || holder == nullptr) continue;
            std::unique_ptr<Mms::Container> value(holder);
            TakeInitialValues(*value, type);
            if (!text.empty()) value->FromText(text);
            auto* result = Mms::MmsAppendNew(report.listOfAccessResult, Mms::MmsAccessResultType);
            if (value->ToData(result->choice.success) == System::OkNoError) {
                result->present = Mms::MmsAccessResultSuccess;
            } else {
                result->present = Mms::MmsAccessResultFailure;
                result->choice.failure = 11;
            }
        }
        Mms::MmsEncodePdu(*pdu, bytes);
        Mms::MmsFreePdu(pdu);
        return bytes;
    }

private:
    struct Field {
        TestDevice::DataNode type;
        std::string text;
        std::vector<std::uint8_t> binaryTime;
    };
    std::vector<Field> fields_;
};

// The report the bytes carry, as the association's VMD files it; null when they carry none.
inline std::unique_ptr<Mms::InformationReport> TakeInReport(const std::vector<std::uint8_t>& bytes) {
    Mms::MmsPdu* pdu = nullptr;
    if (Mms::MmsDecodePdu(bytes.data(), bytes.size(), pdu) != System::OkNoError) return nullptr;
    Mms::VMD vmd;
    if (pdu->present == Mms::MmsPduUnconfirmed &&
        pdu->choice.unconfirmed.service.present == Mms::MmsUnconfirmedInformationReport) {
        const Mms::MmsInformationReport& report = pdu->choice.unconfirmed.service.choice.informationReport;
        if (report.variableAccessSpecification.present == Mms::MmsVariableAccessVariableListName) {
            vmd.QueueListReport(nullptr, report.variableAccessSpecification.choice.variableListName,
                                report.listOfAccessResult);
        } else if (report.variableAccessSpecification.present == Mms::MmsVariableAccessListOfVariable) {
            vmd.QueueVariablesReport(nullptr, report.variableAccessSpecification.choice.listOfVariable,
                                     report.listOfAccessResult);
        }
    }
    Mms::MmsFreePdu(pdu);
    return std::unique_ptr<Mms::InformationReport>(vmd.PopInformationReport());
}

}  // namespace AcsiClientTest
