#pragma once
// Helpers of the tests that compare snapshots with files: whole files as bytes.
#include "acquisition_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace sdktest {

inline std::vector<BYTE> ReadBytes(const std::string& path)
{
    std::vector<BYTE> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        BYTE chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    return bytes;
}

inline bool WriteBytes(const std::string& path, const void* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

inline bool WriteBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    return WriteBytes(path, bytes.data(), bytes.size());
}

}  // namespace sdktest
