// The minimal dialog program traybench measures the utility against: its
// window title and template id, shared by its source, its resources and
// traybench.
#pragma once

#define MINDLG_TITLE "traybench minimal dialog"
#define MINDLG_TEMPLATE 1
