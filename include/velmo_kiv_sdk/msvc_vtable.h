// Windows hosts and the vendor's SDK are built with MSVC, whose vtables are
// the binary contract of the two callback interfaces (the SDK's event handler
// and the host's event sink). MSVC gives a virtual destructor one slot, a
// "deleting destructor" that takes a flags argument (bit 0: free the memory)
// and returns the object's address; GCC and clang for MinGW give it two. So
// on Windows, whatever the compiler, those interfaces open with one slot of
// MSVC's shape. Under MSVC's own ABI (MSVC, clang-cl) that is the virtual
// destructor itself; under MinGW's ABI it is an ordinary virtual function of
// the same shape that destroys the object through its real destructor, which
// is declared after the operations, past every slot the other side uses.
// Elsewhere nothing changes: the virtual destructor comes first.
#pragma once

#if defined(_WIN32) && !defined(_MSC_VER)
#define VELMO_MSVC_VTABLE_EMULATED 1
#else
#define VELMO_MSVC_VTABLE_EMULATED 0
#endif

// MSVC's member functions use thiscall on 32-bit x86; MinGW's GCC and clang
// do too, but saying so keeps the slot's shape plain to the reader.
#if defined(_WIN32) && !defined(_WIN64)
#define VELMO_THISCALL __thiscall
#else
#define VELMO_THISCALL
#endif

// Flag bit of the deleting destructor: free the memory after destroying.
#define VELMO_DELETE_MEMORY 1u
