#ifndef ZORVIKSIM_FAULTINJECTOR_H
#define ZORVIKSIM_FAULTINJECTOR_H

#include <ZorvikSim/Simulator.h>

#include <vector>

namespace ZorvikSim {

// The faults set on one camera, each counting its events from the moment it was set.
// Setting a fault replaces an earlier one of the same kind.
class FaultInjector
{
public:
    static bool IsValid(const Fault &fault);

    void Set(const Fault &fault);
    void Clear();
    std::vector<Fault> Active() const;
    bool Has(FaultKind kind) const;

    // Each returns whether a fault fires at this event; a one-shot fault is then used up.
    bool OnCall(int &code);
    bool OnDownloadPacket();
    bool OnMemoryAccess();

    // True once after the set of faults changed (set, cleared or used up).
    bool TakeChanged();

private:
    struct Armed
    {
        Fault fault;
        int seen = 0;
    };

    bool Fire(FaultKind kind, bool oneShot, int *code);

    std::vector<Armed> faults;
    bool changed = false;
};

} // namespace ZorvikSim

#endif
