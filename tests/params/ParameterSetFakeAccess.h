// A stand-in for the holder of the current block: a "tool" block that reads copy in and writes
// copy out, and a log of the calls in their order.
#pragma once

#include "params/ParameterSetTransfer.h"

#include <string>
#include <vector>

class FakeBlockAccess final : public ParameterBlockAccess {
public:
    ParameterBlock tool;     // what the tool holds
    ParameterBlock current;  // the program's copy
    std::vector<std::string> calls;
    std::vector<ParameterBlock> written;  // the copy at every write
    bool readFails = false;

    ParameterBlock& currentBlock() override { return current; }
    bool ReadParameterBlock() override
    {
        calls.push_back("read");
        if (!readFails)
            current = tool;
        return !readFails;
    }
    void WriteParameterBlock() override
    {
        calls.push_back("write");
        written.push_back(current);
        tool = current;
    }
    void ShowParameterBlock() override { calls.push_back("show"); }
};
