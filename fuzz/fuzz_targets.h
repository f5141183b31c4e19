// What each fuzz harness does with its bytes, kept apart from libFuzzer so the
// normal test suite can replay the seeds and every past finding through
// exactly the same code.
#pragma once

#include <cstddef>
#include <cstdint>

// objects.txt bytes through the reader and the compile walk on a real context.
void FuzzObjects(const std::uint8_t* data, std::size_t size);
