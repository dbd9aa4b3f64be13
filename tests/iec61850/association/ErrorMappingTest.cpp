#include <gtest/gtest.h>

#include <cerrno>

#include "iec61850/acsi/client/AcsiLayer.h"
#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduError.h"
#include "protocol/Layer.h"

namespace AcsiClientTest {
namespace {

using namespace Iec61850::Acsi;
using Iec61850::AnswerFrom;

// A service that is never executed: only its answer fields are set and mapped.
class Answered : public Service {
public:
    Answered(TPAppAssociation& association, AnswerFrom answerFrom) : Service(association, answerFrom) {}
};

struct Answer {
    System::ResultCode result;
    std::int32_t kind;
    std::int16_t errorClass;
    std::int32_t errorCode;
};

class ErrorMapping : public ::testing::Test {
protected:
    std::int32_t Map(const Answer& answer, AnswerFrom answerFrom = AnswerFrom::Device) {
        // A service deletes itself when it completes.
        auto* service = new Answered(*association, answerFrom);
        service->SetResult(answer.result);
        service->SetAnswerKind(answer.kind);
        service->SetError(answer.errorClass, answer.errorCode);
        const std::int32_t error = service->ResultFromServiceError();
        service->CompleteWith(System::OkNoError);
        return error;
    }

    AcsiStack stack;
    TPAppAssociation* association = stack.CreateAssociation();
};

TEST_F(ErrorMapping, ServiceErrorsFromTheAnswer) {
    using namespace Mms;
    struct Case {
        Answer answer;
        std::int32_t expected;
    };
    const Case cases[] = {
        {{System::OkNoError, MmsPduConfirmedResponse, 0, 0}, 0},
        {{System::Rejected, MmsPduReject, 1, 1}, 12},
        {{System::Error, MmsPduConfirmedResponse, MmsErrorClassAccess, 2}, 1},
        {{System::Error, MmsPduConfirmedResponse, MmsErrorClassAccess, 3}, 3},
        {{System::Error, MmsPduConfirmedResponse, MmsErrorClassAccess, 5}, 6},
        {{System::Error, MmsPduConfirmedResponse, MmsErrorClassAccess, 1}, 3},
        {{System::Error, MmsPduConfirmedResponse, MmsErrorClassAccess, 10}, 11},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassDefinition, 5}, 2},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassDefinition, 1}, 1},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassDefinition, 2}, 6},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassDefinition, 4}, 10},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassDefinition, 3}, 11},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassService, 2}, 2},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassService, 1}, 11},
        {{System::Error, MmsPduConfirmedError, MmsErrorClassResource, 1}, 11},
        // The result rules come last and win over the answer.
        {{System::InvalidArguments, MmsPduNone, 0, 0}, 5},
        {{System::AlreadyExist, MmsPduNone, 0, 0}, 2},
        {{System::InvalidArguments, MmsPduConfirmedError, MmsErrorClassDefinition, 1}, 5},
        {{System::Aborted, MmsPduNone, 0, 0}, 11},
        {{System::Timeout, MmsPduNone, 0, 0}, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "result " << c.answer.result << " kind " << c.answer.kind << " class "
                                          << c.answer.errorClass << " code " << c.answer.errorCode);
        EXPECT_EQ(Map(c.answer), c.expected);
    }
}

TEST_F(ErrorMapping, TheLocalRuleComesBeforeTheResultRules) {
    EXPECT_EQ(Map({System::OkNoError, Mms::MmsPduNone, 0, 0}, AnswerFrom::Model), 0);
    EXPECT_EQ(Map({System::Error, Mms::MmsPduNone, 0, 0}, AnswerFrom::Model), 0);
    // A local create or delete is refused with InvalidArguments: inappropriate, not 0.
    EXPECT_EQ(Map({System::InvalidArguments, Mms::MmsPduNone, 0, 0}, AnswerFrom::Model), 5);
}

TEST_F(ErrorMapping, AHardwareFaultOfADeletionIsTheServers) {
    DeleteDataSet deletion(*association, "LD0/LLN0.ds1", AnswerFrom::Device);
    deletion.SetResult(System::Error);
    deletion.SetAnswerKind(Mms::MmsPduConfirmedResponse);
    deletion.SetError(Mms::MmsErrorClassAccess, 1);
    EXPECT_EQ(deletion.ResultFromServiceError(), 12);
}

TEST_F(ErrorMapping, AccessErrorsOfEachVariable) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {256 + 1, 12}, {256 + 2, 8},  {256 + 3, 3},  {256 + 5, 6},  {256 + 7, 10},  {256 + 10, 1},
        {256 + 11, 5}, {256 + 0, 11}, {256 + 4, 11}, {256 + 6, 11}, {256 + 12, 11},
    };
    for (const auto& [status, expected] : cases) {
        Answered service(*association, AnswerFrom::Device);
        EXPECT_EQ(service.ResultFromAccessError(status), expected) << status;
    }
    // Below 256 the service error stays as it is.
    Answered service(*association, AnswerFrom::Device);
    service.SetServiceError(3);
    EXPECT_EQ(service.ResultFromAccessError(0), 3);
    EXPECT_EQ(service.ResultFromAccessError(255), 3);
}

TEST(AcsiStackAssembly, TheLayersFromTcpToAcsiAndIndependentChains) {
    AcsiStack stack;
    const char* expected[] = {"MmsUser", "Mms", "Acse", "Copp", "Cosp", "Cotp", "Itot", "Tcp"};
    Protocol::Layer* layer = stack.GetTopLayer();
    for (const char* name : expected) {
        ASSERT_NE(layer, nullptr);
        EXPECT_STREQ(layer->GetName(), name);
        layer = layer->GetLowerLayer();
    }
    EXPECT_EQ(layer, nullptr);
    EXPECT_STREQ(stack.GetBottomLayer()->GetName(), "Tcp");
    TPAppAssociation* first = stack.CreateAssociation();
    TPAppAssociation* second = stack.CreateAssociation();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    Protocol::Connection* a = first;
    Protocol::Connection* b = second;
    int levels = 0;
    for (; a != nullptr && b != nullptr; a = a->GetLower(), b = b->GetLower(), ++levels) {
        EXPECT_NE(a, b);
        EXPECT_EQ(a->GetLayer(), b->GetLayer());
    }
    EXPECT_EQ(levels, 8);
    // A chain reset before any Associate leaves the association as it is.
    EXPECT_EQ(stack.ResetConnectionChain(first), System::OkNoError);
    EXPECT_EQ(first->GetProfile(), nullptr);
}

TEST(AcsiStackAssembly, ListeningStartsOnceAndAFailedListenGivesNoChain) {
    AcsiStack stack;
    System::ResultCode result = System::Error;
    int systemError = -1;
    ASSERT_EQ(stack.SetListenAddress("127.0.0.1"), System::OkNoError);
    TPAppAssociation* first = stack.CreateListeningChain(0, result, systemError);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(result, System::OkNoError);
    const std::uint16_t port = stack.GetListenPort();
    EXPECT_NE(port, 0);
    TPAppAssociation* second = stack.CreateListeningChain(0, result, systemError);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(stack.GetListenPort(), port);

    AcsiStack taken;
    taken.SetListenAddress("127.0.0.1");
    EXPECT_EQ(taken.CreateListeningChain(port, result, systemError), nullptr);
    EXPECT_NE(result, System::OkNoError);
    EXPECT_EQ(systemError, EADDRINUSE);
    EXPECT_EQ(taken.Acsi().GetConnectionCount(), 0u);
}

}  // namespace
}  // namespace AcsiClientTest
