#pragma once
// Instruction-set checks for the few loops that have a vector way.

namespace bq {

// True on x86-64 processors with SSSE3; false elsewhere.
bool HasSsse3();

}  // namespace bq
