#pragma once
// The process-wide handle registry: a ring of (handle, camera object) entries with a cursor
// that rests on the last match, so an application driving one camera pays one comparison a call.
#include <windows.h>

#include <cstdint>

class CVelmor;

struct CSDKDATA {
    int32_t handle;
    CVelmor* camera;  // owned through the entry; only Velmor_Release destroys it
};

template <typename T>
class CTRing {
public:
    struct Node {
        T data;
        Node* prev;
        Node* next;
    };

    CTRing() { InitializeCriticalSection(&lock); }
    ~CTRing()
    {
        RemoveAll();
        DeleteCriticalSection(&lock);
    }
    CTRing(const CTRing&) = delete;
    CTRing& operator=(const CTRing&) = delete;

    // Inserts a copy just before the cursor and makes it the cursor.
    virtual void Add(T& element) { Link(new Node{element, nullptr, nullptr}); }

    // Inserts a node made by the caller (who then no longer owns it) just before the cursor.
    void Link(Node* node)
    {
        if (!current) {
            node->prev = node->next = node;
            count = 1;
        } else {
            ++count;
            node->prev = current->prev;
            node->next = current;
            current->prev->next = node;
            current->prev = node;
        }
        current = node;
    }

    // Frees the node under the cursor; the cursor moves to its successor. 0 when empty.
    int RemoveCurrent()
    {
        if (!current)
            return 0;
        Node* removed = current;
        Node* next = nullptr;
        if (removed->next == removed) {
            count = 0;
        } else {
            --count;
            removed->prev->next = removed->next;
            removed->next->prev = removed->prev;
            next = removed->next;
        }
        delete removed;
        current = next;
        return 1;
    }

    void RemoveAll()
    {
        while (current)
            RemoveCurrent();
    }

    Node* current = nullptr;
    int32_t count = 0;
    CRITICAL_SECTION lock;
};

class CSdkChain : public CTRing<CSDKDATA> {
public:
    // Moves the cursor to the entry of handle h; each node is compared at most once. No locking.
    int Find(int32_t h);
    // A new registered camera object and its handle, or 0 when none can be allocated.
    int32_t CreateCamera();
    // The camera object of h with a reference taken for the caller (CVelmor::Drop), or null.
    CVelmor* Lookup(int32_t h);
    // Unlinks the entry of h and hands its camera object (with the registry's reference) to the caller.
    CVelmor* Detach(int32_t h);
    int Remove(int32_t h);
};

// The one registry of the process, built by static initialisation when the DLL loads.
CSdkChain& SdkChain();
