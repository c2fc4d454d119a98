/* The boundary headers must compile as C: a host written in C includes them. */
#include "module_properties.h"
#include "pin_properties.h"
#include "plug_record.h"

int qnCHeadersPlugRecordSize(void);
int qnCHeadersPlugRecordSize(void) {
    return (int)sizeof(PlugRecord);
}
