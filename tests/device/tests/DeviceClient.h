#pragma once

// The library's own MMS client against the test device: a loopback client through a
// relay that records every byte for Wireshark, with helpers for the requests the
// device tests make.

#include <memory>
#include <string>
#include <vector>

#include "device/Device.h"
#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/InformationReport.h"
#include "mms/user/NamedVariableList.h"
#include "osi/AssociationWireRelay.h"

namespace DeviceTest {

class DeviceClient {
public:
    explicit DeviceClient(TestDevice::Device& device) : relay(device.Port()) {}

    System::ResultCode Associate(std::int32_t localDetail = Mms::InitiateParameters::DefaultLocalDetail) {
        Mms::InitiateParameters proposal = Mms::InitiateParameters::Defaults();
        proposal.localDetail = localDetail;
        return client.Associate(relay.Port(), proposal);
    }
    // Associates with every time-out of the chain shortened, so that a device that does
    // not answer is given up soon.
    System::ResultCode AssociateWithin(std::uint32_t timeoutMs) {
        client.end.Reset(relay.Port());
        for (Protocol::Connection* at = &User(); at != nullptr; at = at->GetLower()) at->SetTimeout(timeoutMs);
        Mms::ServiceErrorRecord error;
        return User().Initiate(Mms::InitiateParameters::Defaults(), client.negotiated, error);
    }
    System::ResultCode Release() { return client.Release(); }
    Mms::MmsUserConnection& User() { return client.User(); }

    std::vector<std::string> Names(std::int32_t objectClass, const std::string& domain = {}) {
        Mms::NameCollection names;
        const System::ResultCode asked =
            domain.empty() ? User().GetAllNames(Mms::MmsObjectClassBasic, objectClass, Mms::MmsObjectScopeVmd, names)
                           : User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, objectClass,
                                                        Mms::MmsObjectScopeDomain, domain, names);
        if (asked != System::OkNoError || User().WaitForCurrentRequest() != System::OkNoError) return {};
        return {names.begin(), names.end()};
    }

    // The client's image of a domain, made on first use.
    Mms::Domain& Domain(const std::string& name) {
        Mms::Domain* domain = nullptr;
        if (client.vmd.FindDomain(name, domain) != System::OkNoError) {
            domain = new Mms::Domain(&User(), name, &client.vmd);
            client.vmd.AddObject(domain);
        }
        return *domain;
    }

    // The client's image of "domain/item" (or of a vmd-specific item), made on first use.
    Mms::NamedVariable& Variable(const std::string& domainName, const std::string& item) {
        Mms::MmsObject& owner = domainName.empty() ? static_cast<Mms::MmsObject&>(client.vmd) : Domain(domainName);
        Mms::NamedVariable* variable = nullptr;
        client.vmd.FindNamedVariable(*MmsObjectTest::Name(domainName, item), variable);
        if (variable == nullptr) {
            variable = new Mms::NamedVariable(&User(), item, &owner);
            owner.AddObject(variable);
        }
        return *variable;
    }

    // Type and value of the variable: the first failure.
    System::ResultCode Fetch(Mms::NamedVariable& variable) {
        System::ResultCode result = User().RequestVariableAccessAttributes(&variable);
        if (result == System::OkNoError) result = User().WaitForCurrentRequest();
        if (result == System::OkNoError) result = User().ReadVariableValueAndWait(&variable);
        return result;
    }

    std::string Read(const std::string& domain, const std::string& item) {
        Mms::NamedVariable& variable = Variable(domain, item);
        if (Fetch(variable) != System::OkNoError) return "<failed>";
        return MmsObjectTest::Text(variable);
    }

    // Writes the text into the variable (its type fetched first): the outcome, with the
    // access error (256 + DataAccessError) of a refused write.
    System::ResultCode Write(const std::string& domain, const std::string& item, const std::string& text) {
        Mms::NamedVariable& variable = Variable(domain, item);
        if (variable.GetValue() == nullptr) {
            System::ResultCode result = User().RequestVariableAccessAttributes(&variable);
            if (result == System::OkNoError) result = User().WaitForCurrentRequest();
            if (result != System::OkNoError) return result;
        }
        if (System::ResultCode result = variable.FromText(text); result != System::OkNoError) return result;
        return User().WriteVariableValueAndWait(&variable);
    }

    // Write with the DataAccessError of a refused write as the outcome's error code.
    Mms::RequestOutcome WriteWithError(const std::string& domain, const std::string& item, const std::string& text) {
        Mms::RequestOutcome outcome;
        Mms::NamedVariable& variable = Variable(domain, item);
        if (variable.GetValue() == nullptr) {
            outcome.result = User().RequestVariableAccessAttributes(&variable);
            if (outcome.result == System::OkNoError) outcome.result = User().WaitForCurrentRequest();
            if (outcome.result != System::OkNoError) return outcome;
        }
        outcome.result = variable.FromText(text);
        if (outcome.result == System::OkNoError) outcome.result = User().WriteVariableValue(&variable);
        if (outcome.result == System::OkNoError) User().WaitForCurrentRequestWithError(outcome);
        return outcome;
    }

    // Writes a structured variable with the given components ("ctlVal") set: the
    // outcome, with the DataAccessError of a refused write as its error code.
    Mms::RequestOutcome WriteStructure(const std::string& domain, const std::string& item,
                                       const std::vector<std::pair<std::string, std::string>>& components) {
        Mms::RequestOutcome outcome;
        Mms::NamedVariable& variable = Variable(domain, item);
        if (variable.GetValue() == nullptr) {
            outcome.result = User().RequestVariableAccessAttributes(&variable);
            if (outcome.result == System::OkNoError) outcome.result = User().WaitForCurrentRequest();
            if (outcome.result != System::OkNoError) return outcome;
        }
        for (const auto& [path, text] : components) {
            Mms::Container* part = MmsObjectTest::Component(variable, path);
            if (part == nullptr || part->FromText(text) != System::OkNoError) {
                outcome.result = System::InvalidArguments;
                return outcome;
            }
        }
        outcome.result = User().WriteVariableValue(&variable);
        if (outcome.result == System::OkNoError) User().WaitForCurrentRequestWithError(outcome);
        return outcome;
    }

    // Reports that arrived before the answer to a request made after them.
    std::vector<std::unique_ptr<Mms::InformationReport>> Reports() {
        std::vector<std::unique_ptr<Mms::InformationReport>> reports;
        while (Mms::InformationReport* report = client.vmd.PopInformationReport()) reports.emplace_back(report);
        return reports;
    }
    // A request answered after everything the device sent before it.
    void Sync(const std::string& domain = "LD0") { Read(domain, "LLN0$ST$Mod$stVal"); }

    AssociationTest::AssociationWireRelay relay;
    MmsLoopback::Client client;
};

}  // namespace DeviceTest
