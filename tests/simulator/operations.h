#pragma once
// The operations of the seeded simulator: each starts as a user would start
// it and, when it ended on its own, checks that what the window reports done
// is what the detector and the box really hold. Every operation of the tool
// joins this table.
#include "simulator/world.h"

#include <memory>
#include <string>
#include <vector>

namespace quelm::simulator {

class Operation {
public:
    virtual ~Operation() = default;
    // Starts it (types into the boxes, clicks); returns what it did.
    virtual std::string start(World& w) = 0;
    // After it ended with no key pressed and the box plugged in all along.
    virtual void verify(World& w) = 0;
    // Whether a key press must end it within 100 ms (the test number holds
    // the window for its fixed second whatever the user does).
    virtual bool stoppable() const { return true; }
};

struct OperationKind {
    const char* name;
    int weight;
    std::unique_ptr<Operation> (*make)();
};

const std::vector<OperationKind>& Operations();

// Operations kept in files of their own.
std::unique_ptr<Operation> MakeSendParams();
std::unique_ptr<Operation> MakeProgramNumber();
std::unique_ptr<Operation> MakeReadAddresses();
std::unique_ptr<Operation> MakeSendAddresses();

} // namespace quelm::simulator
