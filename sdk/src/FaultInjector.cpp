#include "FaultInjector.h"

#include <algorithm>

namespace ZorvikSim {

bool FaultInjector::IsValid(const Fault &fault)
{
    return fault.n >= 1 && fault.code != 0;
}

void FaultInjector::Set(const Fault &fault)
{
    faults.erase(std::remove_if(faults.begin(), faults.end(),
                                [&](const Armed &armed) { return armed.fault.kind == fault.kind; }),
                 faults.end());
    faults.push_back({fault, 0});
    changed = true;
}

void FaultInjector::Clear()
{
    changed = changed || !faults.empty();
    faults.clear();
}

std::vector<Fault> FaultInjector::Active() const
{
    std::vector<Fault> result;
    for (const Armed &armed : faults)
        result.push_back(armed.fault);
    return result;
}

bool FaultInjector::Has(FaultKind kind) const
{
    return std::any_of(faults.begin(), faults.end(),
                       [kind](const Armed &armed) { return armed.fault.kind == kind; });
}

bool FaultInjector::OnCall(int &code)
{
    // Both call faults count every call, so each is advanced even when the other fires.
    bool once = Fire(FaultKind::FailCall, true, &code);
    bool from = Fire(FaultKind::FailFromCall, false, &code);
    return once || from;
}

bool FaultInjector::OnDownloadPacket()
{
    return Fire(FaultKind::CorruptPacketOffset, true, nullptr);
}

bool FaultInjector::OnMemoryAccess()
{
    return Fire(FaultKind::UnplugMidTransfer, true, nullptr);
}

bool FaultInjector::TakeChanged()
{
    bool result = changed;
    changed = false;
    return result;
}

bool FaultInjector::Fire(FaultKind kind, bool oneShot, int *code)
{
    auto it = std::find_if(faults.begin(), faults.end(),
                           [kind](const Armed &armed) { return armed.fault.kind == kind; });
    if (it == faults.end())
        return false;
    if (it->seen < it->fault.n)
        ++it->seen;
    if (it->seen < it->fault.n)
        return false;
    if (code)
        *code = it->fault.code;
    if (oneShot) {
        faults.erase(it);
        changed = true;
    }
    return true;
}

} // namespace ZorvikSim
