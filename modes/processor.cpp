#include "modes/processor.h"

#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define HUEMIX_HAVE_CPUID 1
#else
#define HUEMIX_HAVE_CPUID 0
#endif

namespace {
struct ProcessorNames {
    char vendor[13];
    char model[49];
};

ProcessorNames ReadNames() {
    ProcessorNames names;
    std::strcpy(names.vendor, "unknown");
    std::strcpy(names.model, "unknown");
#if HUEMIX_HAVE_CPUID
    unsigned regs[4] = {0, 0, 0, 0};
    if (__get_cpuid(0, &regs[0], &regs[1], &regs[2], &regs[3])) {
        // The vendor is spelt across EBX, EDX, ECX in that order.
        std::memcpy(names.vendor, &regs[1], 4);
        std::memcpy(names.vendor + 4, &regs[3], 4);
        std::memcpy(names.vendor + 8, &regs[2], 4);
        names.vendor[12] = '\0';
    }
    unsigned highest = __get_cpuid_max(0x80000000u, nullptr);
    if (highest >= 0x80000004u) {
        char brand[49];
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            __get_cpuid(0x80000002u + leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
            std::memcpy(brand + leaf * 16, regs, 16);
        }
        brand[48] = '\0';
        const char* start = brand;
        while (*start == ' ') ++start;
        if (*start != '\0') std::strcpy(names.model, start);
    }
#endif
    return names;
}

const ProcessorNames& Names() {
    static const ProcessorNames names = ReadNames();
    return names;
}
}  // namespace

const char* ProcessorVendor() { return Names().vendor; }

const char* ProcessorModel() { return Names().model; }
