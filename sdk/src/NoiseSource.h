#ifndef ZORVIKSIM_NOISESOURCE_H
#define ZORVIKSIM_NOISESOURCE_H

#include <cstdint>
#include <string>

namespace ZorvikSim {

// What a generator is drawn for, so that each stream of a camera's randomness is independent.
enum class NoiseStream : uint64_t {
    FactoryKinds = 1,
    AgedDefects,
    Pixels,
    DarkFrames,
    FlatFrames,
    DarkFlicker,
    FlatFlicker,
};

// Random numbers seeded by a camera's serial number, a stream and an index (the frame's):
// the same on every platform, unlike the standard distributions.
class NoiseSource
{
public:
    NoiseSource(const std::string &serialNumber, NoiseStream stream, uint64_t index = 0);

    uint64_t Next();                                // splitmix64
    double Uniform();                               // in [0, 1)
    double Uniform(double low, double high);
    double LogUniform(double low, double high);     // as many below twice low as from half high up
    uint32_t Below(uint32_t limit);                 // in [0, limit)
    double Gaussian();                              // mean 0, standard deviation 1

private:
    uint64_t state;
    double spare = 0;
    bool hasSpare = false;
};

} // namespace ZorvikSim

#endif
