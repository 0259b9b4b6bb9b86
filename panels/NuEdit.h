#pragma once

#include "panels/NEdit.h"

namespace zr
{

// A number field for unsigned numbers: a "-" is refused like any other non-digit.
class CNuEdit : public CNEdit
{
public:
    explicit CNuEdit(QWidget* parent = nullptr) : CNEdit(false, parent) {}
};

} // namespace zr
