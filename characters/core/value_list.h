#pragma once

#include <cstddef>
#include <type_traits>

// The state of the game lives in plain structs whose values are listed once,
// in a forEachValue beside each struct, for everything that must see every
// value (the hash, the replay's start block). The build counts a struct's
// values so that a list which leaves one out fails to compile.

namespace value_list {

// Stands for any value when counting how many a struct takes.
struct AnyValue {
    template <class T>
    operator T() const;
};

// How many initialisers the aggregate T takes: one a value, one per element of an array.
template <class T, class... Taken>
constexpr std::size_t initialisers()
{
    if constexpr (requires { T{Taken{}..., AnyValue{}}; })
        return initialisers<T, Taken..., AnyValue>();
    else
        return sizeof...(Taken);
}

template <class T>
constexpr std::size_t initialisersOf()
{
    if constexpr (std::is_array_v<T>)
        return sizeof(T) / sizeof(std::remove_all_extents_t<T>);
    else
        return 1;
}

// Walks a list and adds up its values' initialisers.
struct Counter {
    std::size_t count = 0;
    template <class T>
    constexpr void operator()(const T&)
    {
        count += initialisersOf<T>();
    }
    template <class Role, class T>
    constexpr void operator()(Role, const T&)
    {
        count += initialisersOf<T>();
    }
};

}  // namespace value_list

// Whether forEachValue(visit, values) names every value of Values.
template <class Values>
constexpr bool listsEveryValue()
{
    value_list::Counter counter;
    const Values values{};
    forEachValue(counter, values);
    return counter.count == value_list::initialisers<Values>();
}
