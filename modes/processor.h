// What processor the program runs on, read once from CPUID: which code paths are the
// fastest depends on the maker as well as on the instruction sets, and the benchmark
// names the processor beside its figures.
#pragma once

enum ProcessorMaker : int { kMakerOther = 0, kMakerIntel = 1, kMakerAmd = 2 };

ProcessorMaker ProcessorMakerOf();

// "GenuineIntel", "AuthenticAMD", ...; "unknown" where CPUID is not available.
const char* ProcessorVendor();

// The brand string, such as "Intel(R) Xeon(R) Processor", without leading spaces;
// "unknown" where the processor has none.
const char* ProcessorModel();
