#pragma once
// Helpers of the tests that compare snapshots with files: whole files as bytes.
#include "acquisition_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sdktest {

// The file's first `limit` bytes, by default all of them.
inline std::vector<BYTE> ReadBytes(const std::string& path, size_t limit = SIZE_MAX)
{
    std::vector<BYTE> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        BYTE chunk[65536];
        for (size_t n; bytes.size() < limit && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + std::min(n, limit - bytes.size()));
        std::fclose(file);
    }
    return bytes;
}

// A file in the folder the decoder check reads (VELMOR_TEST_OUTPUT), else in the working folder.
inline std::string OutputPath(const std::string& name)
{
    const char* folder = std::getenv("VELMOR_TEST_OUTPUT");
    if (!folder)
        return name;
    std::string path = folder;
    path += '/';
    path += name;
    return path;
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
