#include "NoiseSource.h"

#include <cmath>

namespace ZorvikSim {

NoiseSource::NoiseSource(const std::string &serialNumber, NoiseStream stream, uint64_t index)
{
    uint64_t hash = 14695981039346656037ull; // FNV-1a, 64 bits
    for (unsigned char c : serialNumber)
        hash = (hash ^ c) * 1099511628211ull;
    state = hash ^ (uint64_t(stream) << 56) ^ (index * 0x9E3779B97F4A7C15ull);
    Next(); // spreads nearby seeds apart
}

uint64_t NoiseSource::Next()
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double NoiseSource::Uniform()
{
    return double(Next() >> 11) * 0x1.0p-53;
}

double NoiseSource::Uniform(double low, double high)
{
    return low + (high - low) * Uniform();
}

double NoiseSource::LogUniform(double low, double high)
{
    return low * std::exp(std::log(high / low) * Uniform());
}

uint32_t NoiseSource::Below(uint32_t limit)
{
    return uint32_t((Next() >> 32) * limit >> 32);
}

double NoiseSource::Gaussian() // Marsaglia's polar method: two values per logarithm
{
    if (hasSpare) {
        hasSpare = false;
        return spare;
    }
    double u, v, s;
    do {
        u = Uniform(-1, 1);
        v = Uniform(-1, 1);
        s = u * u + v * v;
    } while (s >= 1 || s == 0);
    const double factor = std::sqrt(-2 * std::log(s) / s);
    spare = v * factor;
    hasSpare = true;
    return u * factor;
}

} // namespace ZorvikSim
