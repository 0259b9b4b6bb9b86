#pragma once

#include "panels/NEdit.h"

namespace zr
{

// A number field that takes negative numbers.
class CNiEdit : public CNEdit
{
public:
    explicit CNiEdit(QWidget* parent = nullptr) : CNEdit(true, parent) {}
};

} // namespace zr
