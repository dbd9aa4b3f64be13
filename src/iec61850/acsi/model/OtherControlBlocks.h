#pragma once

#include "iec61850/acsi/model/ControlBlock.h"

namespace Iec61850::Acsi {

// A log control block.
class LCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    // The variable, its attributes (both TrgOps and TrgOp, as devices name it either way),
    // then the children.
    System::ResultCode Create() override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;

    Mms::Container* LogEna = nullptr;
    Mms::Container* TrgOps = nullptr;
    Mms::Container* IntgPd = nullptr;
};

// A GOOSE control block.
class GoCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    System::ResultCode Create() override;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;

    Mms::Container* GoEna = nullptr;
    Mms::Container* ConfRev = nullptr;
    Mms::Container* GoID = nullptr;
    Mms::Container* NdsCom = nullptr;
};

// Setting-group, GSSE and sampled-value control blocks: the base's DatSet binding only
// (a setting-group block has no DatSet, so its Bind gives InvalidArguments: expected).
class SGCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
};

class GsCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
};

class MSVCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
};

class USVCB : public ControlBlock {
public:
    using ControlBlock::ControlBlock;
    std::int32_t GetKind() const override;
    ModelClass GetModelClass() const override;
};

// A log of a logical node (held by LLN0).
class Log : public NamedObject {
public:
    Log(NamedObject* parent, std::string name) : NamedObject(parent, std::move(name), nullptr) {}
    ModelClass GetModelClass() const override;
};

}  // namespace Iec61850::Acsi
