/* The GUI record header must compile as C: a host written in C includes it. */
#include "gui_plug_record.h"

int qnGuiCHeaderRecordSize(void);
int qnGuiCHeaderRecordSize(void) {
    return (int)sizeof(GuiPlugRecord);
}
