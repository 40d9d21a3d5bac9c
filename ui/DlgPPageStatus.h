#pragma once

#include "framework/PropertySheet.h"

class CDlgPPageStatus : public CPropertyPage {
public:
    CDlgPPageStatus();
};
