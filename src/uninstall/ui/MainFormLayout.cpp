#include "uninstall/ui/MainFormLayout.h"

POINT MainFormPosition(SIZE WorkArea, SIZE Window) {
    return {(WorkArea.cx - Window.cx) / 2, (WorkArea.cy - Window.cy) / 3};
}
