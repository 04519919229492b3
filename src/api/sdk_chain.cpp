#include "api/sdk_chain.h"

#include "camera/velmor.h"

#include <cstdlib>
#include <memory>
#include <new>

namespace {
CSdkChain registry;

class RegistryLock {
public:
    explicit RegistryLock(CSdkChain& chain) : lock_(chain.lock) { EnterCriticalSection(&lock_); }
    ~RegistryLock() { LeaveCriticalSection(&lock_); }

private:
    CRITICAL_SECTION& lock_;
};
}  // namespace

CSdkChain& SdkChain() { return registry; }

int CSdkChain::Find(int32_t h)
{
    if (!current)
        return 0;
    Node* last = current->prev;
    if (current->data.handle == h)
        return 1;
    while (current != last) {
        current = current->next;
        if (current->data.handle == h)
            return 1;
    }
    return 0;
}

int32_t CSdkChain::CreateCamera()
{
    // The ring's node comes first: once the camera object exists nothing can fail, and a camera
    // object is never destroyed unregistered (its destructor would store its settings).
    std::unique_ptr<Node> node(new (std::nothrow) Node{CSDKDATA{0, nullptr}, nullptr, nullptr});
    if (!node)
        return 0;
    CVelmor* camera = new (std::nothrow) CVelmor();
    if (!camera)
        return 0;
    RegistryLock guard(*this);
    // A handle of 0 would read as failure, and a handle already in the ring would shadow or be
    // shadowed by another camera: draw again until the value is fresh.
    int32_t handle;
    do {
        handle = static_cast<int32_t>(static_cast<uint32_t>(GetTickCount()) + static_cast<uint32_t>(rand()) +
                                      static_cast<uint32_t>(count));
    } while (handle == 0 || Find(handle));
    node->data = CSDKDATA{handle, camera};
    Link(node.release());
    return handle;
}

CVelmor* CSdkChain::Lookup(int32_t h)
{
    RegistryLock guard(*this);
    if (!Find(h) || !current->data.camera)
        return nullptr;
    current->data.camera->Retain();
    return current->data.camera;
}

CVelmor* CSdkChain::Detach(int32_t h)
{
    RegistryLock guard(*this);
    if (!Find(h))
        return nullptr;
    CVelmor* camera = current->data.camera;
    current->data.camera = nullptr;
    RemoveCurrent();
    return camera;
}

int CSdkChain::Remove(int32_t h)
{
    RegistryLock guard(*this);
    return Find(h) ? RemoveCurrent() : 0;
}
