// The memory of a second-order section: its last two inputs (as the section keeps them, often
// scaled) and its last two outputs. Each section computes its output from it with its own
// formula and then shifts the memory on.
#pragma once

#include "dsp/denormal.h"

namespace quorvix {

template <typename T>
struct CSecondOrderState {
    T x1 {}, x2 {}, y1 {}, y2 {};

    // Moves the memory on by one sample; returns y.
    T shift(T x, T y)
    {
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    void clear() { *this = CSecondOrderState {}; }
    // Values of denormal size become 0 (float sections that decay unattended).
    void flush()
    {
        for (T* v : {&x1, &x2, &y1, &y2})
            flushTiny(*v);
    }
};

} // namespace quorvix
