// Running out of memory at the worst moment: the allocation is made to fail, and nothing that was
// already had stays behind. The program replaces the global allocation functions to do that.
#include "api/sdk_chain.h"
#include "camera/velmor.h"
#include "imaging/image_writer.h"
#include "sdk_test_support.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> failSize{0};   // the next allocation of exactly this many bytes fails
std::atomic<long> liveBlocks{0};  // blocks allocated and not yet freed

void* Allocate(size_t bytes)
{
    size_t armed = bytes;
    if (bytes != 0 && failSize.compare_exchange_strong(armed, 0))
        return nullptr;
    void* block = std::malloc(bytes ? bytes : 1);
    if (block)
        ++liveBlocks;
    return block;
}

void Free(void* block)
{
    if (!block)
        return;
    --liveBlocks;
    std::free(block);
}

}  // namespace

void* operator new(size_t bytes)
{
    if (void* block = Allocate(bytes))
        return block;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) { return operator new(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, size_t) noexcept { Free(block); }
void operator delete[](void* block, size_t) noexcept { Free(block); }

TEST(OutOfMemory, NoCameraObjectIsLeftWhenTheRegistryCannotTakeIt)
{
    for (size_t failing : {sizeof(CSdkChain::Node), sizeof(CVelmor)}) {
        CSdkChain ring;
        const long before = liveBlocks;
        failSize = failing;
        EXPECT_EQ(ring.CreateCamera(), 0) << failing;
        EXPECT_EQ(failSize.load(), 0u) << "the allocation of " << failing << " bytes was never made";
        EXPECT_EQ(liveBlocks.load(), before) << failing;
        EXPECT_EQ(ring.count, 0);
    }
}

TEST(OutOfMemory, JpegWithoutItsRowBufferOpensNoFile)
{
    constexpr int kWidth = 12345;  // a row buffer of a size nothing else asks for
    FrameSurface surface;
    ASSERT_EQ(surface.Create(kWidth, 2, 24), 1);
    char path[] = "velmor_out_of_memory.jpg";
    DeleteFileA(path);
    const long before = liveBlocks;
    failSize = size_t{kWidth} * 3;
    EXPECT_EQ(WriteImageFile(path, surface, kSaveJpeg70), 0);
    EXPECT_EQ(failSize.load(), 0u);
    EXPECT_EQ(liveBlocks.load(), before);
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    // With memory the same call writes the file.
    EXPECT_EQ(WriteImageFile(path, surface, kSaveJpeg70), 1);
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(path);
}

TEST(OutOfMemory, WithoutADeviceObjectTheDialogsRefuseWithTheStateError)
{
    CVelmor camera;
    failSize = sizeof(CVelmor520QKZRXSdk);
    EXPECT_EQ(camera.Initialize(nullptr), 0);
    EXPECT_EQ(failSize.load(), 0u);
    ASSERT_EQ(camera.device, nullptr);
    EXPECT_EQ(camera.GetLastError(), VELMOR_ERROR_MEMORY);
    for (auto show : {&CVelmor::ShowAnalogDialog, &CVelmor::ShowCameraDialog, &CVelmor::ShowImageDialog}) {
        EXPECT_EQ((camera.*show)(nullptr), 0);
        EXPECT_EQ(camera.GetLastError(), VELMOR_ERROR_STATE);
        EXPECT_EQ(camera.GetLastError(), 0);
    }
}
