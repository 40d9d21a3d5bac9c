#pragma once

#include "framework/PropertySheet.h"

class CDlgPPageStatistics : public CPropertyPage {
public:
    CDlgPPageStatistics();
};
