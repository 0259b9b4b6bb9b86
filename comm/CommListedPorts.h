#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/CommAbstract.h"

namespace zr
{

// The part every link shares: a class name and a list of port names fixed at construction.
class CCommListedPorts : public CCommAbstract
{
public:
    int32_t GetPortCount() const final;
    std::string GetPortName(int32_t port) const final;
    std::string GetLinkClassName() const final { return className_; }

protected:
    CCommListedPorts(std::string className, std::vector<std::string> portNames);

private:
    std::string className_;
    std::vector<std::string> portNames_;
};

} // namespace zr
