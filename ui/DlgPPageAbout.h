#pragma once

#include "framework/PropertySheet.h"

class CDlgPPageAbout : public CPropertyPage {
public:
    CDlgPPageAbout();
};
