#pragma once
// Functions exported by an outside library, called by name. The library is
// looked for in the program folder first (lib<name>.so), then where the
// system looks for shared libraries. A library that cannot be found raises
// run-time error 53; a missing function raises 453.

#include <QString>

#include <utility>

class OutsideLibrary {
public:
    explicit OutsideLibrary(QString name) : name_(std::move(name)) {}

    // The address of the exported function `symbol`, cast to Fn.
    template <class Fn>
    Fn Function(const char* symbol) const
    {
        return reinterpret_cast<Fn>(Resolve(symbol));
    }

private:
    void* Resolve(const char* symbol) const;
    QString name_;
};
