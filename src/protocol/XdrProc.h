#pragma once

#include <rpc/rpc.h>

#include <cstdarg>

// The RPC library takes every XDR routine as one variadic pointer type,
// xdrproc_t, and calls it as (xdrs, object). A routine written for its own
// record type and cast to xdrproc_t would be called through a pointer of
// another type, which C++ leaves undefined (and clang's sanitizer reports).
// XdrProc<Routine>() gives a function of xdrproc_t's own type instead, which
// takes the object pointer back out of its variadic argument and calls the
// typed routine with it.
namespace voltora::protocol {

namespace detail {

template <typename T>
T* XdrObjectOf(bool_t (*)(XDR*, T*));

template <auto Routine>
bool_t XdrThunk(XDR* xdrs, ...)
{
    using Object = decltype(detail::XdrObjectOf(Routine));
    va_list arguments;
    va_start(arguments, xdrs);
    // Callers pass the object as void* or caddr_t; both read back as void*.
    void* object = va_arg(arguments, void*);
    va_end(arguments);
    return Routine(xdrs, static_cast<Object>(object));
}

inline bool_t XdrNothing(XDR*, ...)
{
    return TRUE;
}

}  // namespace detail

// `Routine` is a function bool_t(XDR*, T*) for some record type T.
template <auto Routine>
xdrproc_t XdrProc()
{
    return &detail::XdrThunk<Routine>;
}

// The routine of a procedure without arguments or results (xdr_void).
inline xdrproc_t XdrNoData()
{
    return &detail::XdrNothing;
}

}  // namespace voltora::protocol
