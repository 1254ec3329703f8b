// What processor the program runs on, read once from CPUID, so that the benchmark can
// name it beside its figures. No choice of the program depends on it: the code paths
// are chosen by measuring them.
#pragma once

// "GenuineIntel", "AuthenticAMD", ...; "unknown" where CPUID is not available.
const char* ProcessorVendor();

// The brand string, such as "Intel(R) Xeon(R) Processor", without leading spaces;
// "unknown" where the processor has none.
const char* ProcessorModel();
