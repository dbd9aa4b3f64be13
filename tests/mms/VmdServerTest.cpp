// The VMD answering requests from its objects, without a network: name lists, reads,
// writes, attributes and the definition and deletion of named variable lists.

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/NameListPage.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"
#include "mms/values/Structure.h"

using namespace MmsObjectTest;
using ContainerTestSupport::DecodeHex;
using ContainerTestSupport::HexOf;

namespace {

constexpr std::uint32_t kLargeBudget = 10000;

class VmdServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        domain = new Mms::Domain(nullptr, "LD0", &vmd);
        ASSERT_EQ(vmd.AddObject(domain), System::OkNoError);
        mod = AddVariable(*domain, "Mod", StatusType());
        beh = AddVariable(*domain, "Beh", StatusType());
        ASSERT_NE(mod, nullptr);
        ASSERT_NE(beh, nullptr);
        ASSERT_EQ(Component(*mod, "stVal")->FromText("1"), System::OkNoError);
        ASSERT_EQ(Component(*mod, "q")->FromText("0000000000000"), System::OkNoError);
        ASSERT_EQ(Component(*beh, "stVal")->FromText("2"), System::OkNoError);
        ASSERT_EQ(Component(*beh, "q")->FromText("0000000000000"), System::OkNoError);
        for (const char* item : {"C", "A", "B"}) {
            ASSERT_EQ(vmd.AddObject(vmdVariables.emplace_back(new Mms::NamedVariable(nullptr, item, &vmd))),
                      System::OkNoError);
        }
    }

    struct NameListAnswer {
        System::ResultCode result = System::OkNoError;
        std::int32_t rejectCode = -1;
        std::list<std::string> names;
        bool moreFollowsAbsent = false;
    };

    NameListAnswer NameList(std::int32_t objectClass, const char* domainName, const std::string* after,
                            std::uint32_t budget) {
        Mms::MmsObjectScope scope{};
        Mms::CoderValue<Mms::MmsGetNameListResponse> response(Mms::MmsGetNameListResponseType);
        NameListAnswer answer;
        if (domainName != nullptr) {
            scope.present = Mms::MmsObjectScopeDomain;
            Mms::MmsSetText(scope.choice.domainSpecific, domainName);
        } else {
            scope.present = Mms::MmsObjectScopeVmd;
        }
        Mms::NameListPage page;
        answer.result = vmd.GetNameList(objectClass, scope, after, page, *response, budget, answer.rejectCode);
        bool moreFollows = false;
        Mms::MmsReadGetNameListResponse(*response, answer.names, moreFollows);
        answer.moreFollowsAbsent = response->moreFollows == nullptr;
        Mms::MmsObjectScopeType.free(&Mms::MmsObjectScopeType, &scope, 1);
        return answer;
    }

    Mms::VMD vmd;
    Mms::Domain* domain = nullptr;
    Mms::NamedVariable* mod = nullptr;
    Mms::NamedVariable* beh = nullptr;
    std::list<Mms::NamedVariable*> vmdVariables;
};

TEST_F(VmdServerTest, NameListsPageInByteOrderWithinTheBudget) {
    const std::string a = "A";
    const std::string z = "Z";
    NameListAnswer answer = NameList(Mms::MmsClassNamedVariable, nullptr, &a, kLargeBudget);
    EXPECT_EQ(answer.result, System::OkNoError);
    EXPECT_EQ(answer.names, (std::list<std::string>{"B", "C"}));
    EXPECT_FALSE(answer.moreFollowsAbsent);

    // 8 + 3 = 11 fits a budget of 12, the next name would reach 14: more follows.
    answer = NameList(Mms::MmsClassNamedVariable, nullptr, nullptr, 12);
    EXPECT_EQ(answer.names, (std::list<std::string>{"A"}));
    EXPECT_TRUE(answer.moreFollowsAbsent);

    answer = NameList(Mms::MmsClassNamedVariable, nullptr, &z, kLargeBudget);
    EXPECT_TRUE(answer.names.empty());
    EXPECT_FALSE(answer.moreFollowsAbsent);

    answer = NameList(Mms::MmsClassDomain, nullptr, nullptr, kLargeBudget);
    EXPECT_EQ(answer.names, (std::list<std::string>{"LD0"}));
    answer = NameList(Mms::MmsClassNamedVariable, "LD0", nullptr, kLargeBudget);
    EXPECT_EQ(answer.names, (std::list<std::string>{"Beh", "Mod"}));
}

TEST_F(VmdServerTest, NameListsOfUnknownScopesOrClassesAreRefused) {
    const struct {
        std::int32_t objectClass;
        const char* domainName;
    } rows[] = {
        {Mms::MmsClassNamedVariable, "LD9"},
        {Mms::MmsClassDomain, "LD0"},
        {14, nullptr},
        {-1, nullptr},
    };
    for (const auto& row : rows) {
        const NameListAnswer answer = NameList(row.objectClass, row.domainName, nullptr, kLargeBudget);
        EXPECT_NE(answer.result, System::OkNoError);
        EXPECT_EQ(answer.rejectCode, 4);
    }
}

TEST_F(VmdServerTest, ReadsAnswerEachVariableOnItsOwn) {
    ASSERT_EQ(domain->AddObject(new Mms::NamedVariable(nullptr, "Untyped", domain)), System::OkNoError);
    Mms::CoderValue<Mms::MmsConfirmedServiceRequest> request(Mms::MmsConfirmedServiceRequestType);
    Mms::CoderValue<Mms::MmsVariableAccessSpecification> access(Mms::MmsVariableAccessSpecificationType);
    access->present = Mms::MmsVariableAccessListOfVariable;
    for (const char* item : {"Mod", "Nothing", "Untyped"}) {
        ASSERT_EQ(Mms::MmsAppendVariableName(access->choice.listOfVariable, "LD0", item), System::OkNoError);
    }
    ASSERT_EQ(Mms::MmsFillReadRequest(*request, *access), System::OkNoError);
    Mms::CoderValue<Mms::MmsReadResponse> response(Mms::MmsReadResponseType);
    std::int32_t rejectCode = -1;
    ASSERT_EQ(vmd.Read(request->choice.read, *response, rejectCode), System::OkNoError);
    ASSERT_EQ(response->listOfAccessResult.Count(), 3);
    const Mms::MmsAccessResult& value = *response->listOfAccessResult[0];
    ASSERT_EQ(value.present, Mms::MmsAccessResultSuccess);
    EXPECT_EQ(HexOf(ContainerTestSupport::Encode(value.choice.success)), "A2 08 85 01 01 84 03 03 00 00");
    EXPECT_EQ(response->listOfAccessResult[1]->present, Mms::MmsAccessResultFailure);
    EXPECT_EQ(response->listOfAccessResult[1]->choice.failure, Mms::MmsInvalidAddress);
    EXPECT_EQ(response->listOfAccessResult[2]->present, Mms::MmsAccessResultFailure);
    EXPECT_EQ(response->listOfAccessResult[2]->choice.failure, Mms::MmsObjectValueInvalid);

    // specificationWithResult: the answer names what was read as the request did, when
    // asked to and only then.
    request->choice.read.specificationWithResult = Mms::MmsNewValue<Asn1::Asn1Boolean>(Asn1::Asn1BooleanType);
    for (const Asn1::Asn1Boolean withResult : {1, 0}) {
        SCOPED_TRACE(withResult);
        *request->choice.read.specificationWithResult = withResult;
        Mms::CoderValue<Mms::MmsReadResponse> answer(Mms::MmsReadResponseType);
        ASSERT_EQ(vmd.Read(request->choice.read, *answer, rejectCode), System::OkNoError);
        EXPECT_EQ(answer->listOfAccessResult.Count(), 3);
        ASSERT_EQ(answer->variableAccessSpecification != nullptr, withResult != 0);
        if (withResult == 0) continue;
        const Mms::MmsVariableAccessSpecification& named = *answer->variableAccessSpecification;
        ASSERT_EQ(named.present, Mms::MmsVariableAccessListOfVariable);
        std::string names;
        for (const Mms::MmsVariableEntry* entry : named.choice.listOfVariable) {
            std::string text;
            ASSERT_EQ(entry->variableSpecification.present, Mms::MmsVariableSpecificationName);
            ASSERT_EQ(Mms::MmsObjectNameText(entry->variableSpecification.choice.name, text), System::OkNoError);
            names += text + " ";
        }
        EXPECT_EQ(names, "LD0/Mod LD0/Nothing LD0/Untyped ");
    }
}

TEST_F(VmdServerTest, WritesAnswerOneResultPerVariableOrListMember) {
    auto* list = new Mms::NamedVariableList("DS", domain);
    list->Members = {mod, beh};

    const struct {
        bool byList;
        std::vector<std::string> items;
        std::vector<const char*> values;
        System::ResultCode result;
        std::vector<std::int32_t> failures;  // -1 for success
    } rows[] = {
        {false, {"Mod", "Nothing"}, {"A2 08 85 01 03 84 03 03 00 00", "85 01 01"}, System::OkNoError, {-1, 5}},
        {false, {"Beh"}, {"8A 01 41"}, System::OkNoError, {3}},
        {false, {"Beh"}, {"85 01 01", "85 01 02"}, System::Error, {}},
        {true, {}, {"A2 08 85 01 04 84 03 03 00 00", "85 01 01"}, System::OkNoError, {-1, 3}},
        {true, {}, {"85 01 01"}, System::InvalidArguments, {}},
    };
    for (const auto& row : rows) {
        Mms::CoderValue<Mms::MmsConfirmedServiceRequest> request(Mms::MmsConfirmedServiceRequestType);
        Mms::CoderValue<Mms::MmsVariableAccessSpecification> access(Mms::MmsVariableAccessSpecificationType);
        Mms::CoderValue<Mms::MmsDataList> data(Mms::MmsDataListType);
        if (row.byList) {
            ASSERT_EQ(list->ToObjectName(access->choice.variableListName), System::OkNoError);
            access->present = Mms::MmsVariableAccessVariableListName;
        } else {
            access->present = Mms::MmsVariableAccessListOfVariable;
            for (const std::string& item : row.items) {
                ASSERT_EQ(Mms::MmsAppendVariableName(access->choice.listOfVariable, "LD0", item), System::OkNoError);
            }
        }
        for (const char* hex : row.values) {
            ContainerTestSupport::Data value = DecodeHex(hex);
            ASSERT_NE(value.get(), nullptr) << hex;
            Mms::MmsTakeOver(*Mms::MmsAppendNew(*data, Mms::MmsDataType), *value);
        }
        ASSERT_EQ(Mms::MmsFillWriteRequest(*request, *access, *data), System::OkNoError);
        Mms::CoderValue<Mms::MmsWriteResponse> response(Mms::MmsWriteResponseType);
        std::int32_t rejectCode = -1;
        EXPECT_EQ(vmd.Write(request->choice.write, *response, rejectCode), row.result);
        if (row.result != System::OkNoError) continue;
        ASSERT_EQ(response->Count(), static_cast<std::int32_t>(row.failures.size()));
        for (std::size_t i = 0; i < row.failures.size(); ++i) {
            const Mms::MmsWriteResult& result = *(*response)[static_cast<std::int32_t>(i)];
            if (row.failures[i] < 0) {
                EXPECT_EQ(result.present, Mms::MmsWriteResultSuccess);
            } else {
                EXPECT_EQ(result.present, Mms::MmsWriteResultFailure);
                EXPECT_EQ(result.choice.failure, row.failures[i]);
            }
        }
    }
    EXPECT_EQ(Text(Component(*mod, "stVal")), "4");
    EXPECT_EQ(Text(Component(*beh, "stVal")), "2");
}

TEST_F(VmdServerTest, ListsAreDefinedOnceWithExistingMembersAndDeletedWhenDeletable) {
    auto define = [this](const char* domainName, const char* item, std::vector<const char*> members) {
        Mms::CoderValue<Mms::MmsConfirmedServiceRequest> request(Mms::MmsConfirmedServiceRequestType);
        Mms::CoderValue<Mms::MmsObjectName> name(Mms::MmsObjectNameType);
        Mms::CoderValue<Mms::MmsVariableList> variables(Mms::MmsVariableListType);
        Mms::MmsSetObjectName(*name, domainName, item);
        for (const char* member : members) Mms::MmsAppendVariableName(*variables, "LD0", member);
        Mms::MmsFillDefineNamedVariableListRequest(*request, *name, *variables);
        std::int32_t rejectCode = -1;
        const System::ResultCode result =
            vmd.DefineNamedVariableList(request->choice.defineNamedVariableList, rejectCode);
        return result == System::OkNoError ? 0 : rejectCode;
    };
    auto remove = [this](const char* domainName, const char* item, std::int32_t& matched) {
        Mms::CoderValue<Mms::MmsConfirmedServiceRequest> request(Mms::MmsConfirmedServiceRequestType);
        Mms::CoderValue<Mms::MmsObjectName> name(Mms::MmsObjectNameType);
        Mms::MmsSetObjectName(*name, domainName, item);
        Mms::MmsFillDeleteNamedVariableListRequest(*request, *name);
        Mms::CoderValue<Mms::MmsDeleteNamedVariableListResponse> response(Mms::MmsDeleteNamedVariableListResponseType);
        std::int32_t rejectCode = -1;
        const System::ResultCode result =
            vmd.DeleteNamedVariableList(request->choice.deleteNamedVariableList, *response, rejectCode);
        matched = response->numberMatched * 10 + response->numberDeleted;
        return result == System::OkNoError ? 0 : rejectCode;
    };

    EXPECT_EQ(define("LD0", "DS1", {"Mod", "Beh"}), 0);
    Mms::NamedVariableList* list = domain->FindNamedVariableList("DS1");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->Deletable);
    EXPECT_EQ(list->Members, (std::list<Mms::Variable*>{mod, beh}));
    EXPECT_EQ(define("LD0", "DS1", {"Mod"}), 0x30005);
    EXPECT_EQ(define("LD9", "DS2", {"Mod"}), 0x30006);
    // Refused as a whole: no half-built list stays behind to "exist" next time.
    EXPECT_EQ(define("LD0", "DS2", {"Mod", "Nothing"}), 0x30006);
    EXPECT_EQ(domain->FindNamedVariableList("DS2"), nullptr);
    EXPECT_EQ(define("", "DS3", {"Beh"}), 0);
    EXPECT_NE(vmd.GetObjectMap(Mms::MmsClassNamedVariableList)->count("DS3"), 0u);

    std::int32_t counts = 0;
    new Mms::NamedVariableList("Fixed", domain);
    EXPECT_EQ(remove("LD0", "Fixed", counts), 0x30001);
    EXPECT_EQ(remove("LD0", "Nothing", counts), 0x30001);
    EXPECT_EQ(remove("LD0", "DS1", counts), 0);
    EXPECT_EQ(counts, 11);
    EXPECT_EQ(domain->FindNamedVariableList("DS1"), nullptr);
    EXPECT_EQ(remove("", "DS3", counts), 0);
}

TEST_F(VmdServerTest, AttributesDescribeVariablesListsAndDomains) {
    mod->Deletable = true;
    Mms::CoderValue<Mms::MmsGetVariableAccessAttributesRequest> byName(Mms::MmsGetVariableAccessAttributesRequestType);
    byName->present = Mms::MmsAttributesByName;
    Mms::MmsSetObjectName(byName->choice.name, "LD0", "Mod");
    Mms::CoderValue<Mms::MmsGetVariableAccessAttributesResponse> attributes(
        Mms::MmsGetVariableAccessAttributesResponseType);
    std::int32_t rejectCode = -1;
    ASSERT_EQ(vmd.GetVariableAccessAttributes(*byName, *attributes, rejectCode), System::OkNoError);
    EXPECT_NE(attributes->mmsDeletable, 0);
    ASSERT_EQ(attributes->typeSpecification.present, Mms::MmsTypeSpecificationDescription);
    const Mms::Structure described(attributes->typeSpecification.choice.typeDescription);
    EXPECT_EQ(described.GetComponentCount(), 2u);
    EXPECT_NE(described.FindComponent("stVal"), nullptr);
    EXPECT_NE(described.FindComponent("q"), nullptr);

    Mms::CoderValue<Mms::MmsGetVariableAccessAttributesRequest> unknown(Mms::MmsGetVariableAccessAttributesRequestType);
    unknown->present = Mms::MmsAttributesByName;
    Mms::MmsSetObjectName(unknown->choice.name, "LD0", "Nothing");
    Mms::CoderValue<Mms::MmsGetVariableAccessAttributesResponse> none(Mms::MmsGetVariableAccessAttributesResponseType);
    EXPECT_EQ(vmd.GetVariableAccessAttributes(*unknown, *none, rejectCode), System::InvalidArguments);
    EXPECT_EQ(rejectCode, 0);

    auto* list = new Mms::NamedVariableList("DS", domain);
    list->Members = {beh, mod};
    Mms::CoderValue<Mms::MmsGetNamedVariableListAttributesResponse> members(
        Mms::MmsGetNamedVariableListAttributesResponseType);
    ASSERT_EQ(vmd.GetNamedVariableListAttributes(*Name("LD0", "DS"), *members, rejectCode), System::OkNoError);
    ASSERT_EQ(members->listOfVariable.Count(), 2);
    std::string first;
    Mms::MmsObjectNameText(members->listOfVariable[0]->variableSpecification.choice.name, first);
    EXPECT_EQ(first, "LD0/Beh");
    Mms::CoderValue<Mms::MmsGetNamedVariableListAttributesResponse> missing(
        Mms::MmsGetNamedVariableListAttributesResponseType);
    EXPECT_NE(vmd.GetNamedVariableListAttributes(*Name("LD0", "None"), *missing, rejectCode), System::OkNoError);
    EXPECT_EQ(rejectCode, 4);

    domain->State = 2;
    domain->Capabilities = {"cap"};
    Mms::CoderValue<Mms::MmsGetDomainAttributesResponse> domainAttributes(Mms::MmsGetDomainAttributesResponseType);
    ASSERT_EQ(vmd.GetDomainAttributes("LD0", *domainAttributes, rejectCode), System::OkNoError);
    Mms::MmsDomainAttributes read;
    ASSERT_EQ(Mms::MmsReadGetDomainAttributesResponse(*domainAttributes, read), System::OkNoError);
    EXPECT_EQ(read.state, 2);
    EXPECT_EQ(read.capabilities, (std::list<std::string>{"cap"}));
    Mms::CoderValue<Mms::MmsGetDomainAttributesResponse> noDomain(Mms::MmsGetDomainAttributesResponseType);
    EXPECT_NE(vmd.GetDomainAttributes("LD9", *noDomain, rejectCode), System::OkNoError);
    EXPECT_EQ(rejectCode, 4);
}

}  // namespace
