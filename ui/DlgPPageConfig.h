#pragma once

#include "framework/PropertySheet.h"

class CDlgPPageConfig : public CPropertyPage {
public:
    CDlgPPageConfig();
};
