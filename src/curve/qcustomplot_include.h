#pragma once

// qcustomplot.h uses the foreach keyword in two templates; the project builds with
// QT_NO_FOREACH, so a range-for stands in while the header is read.
#ifndef foreach
#define foreach(variable, container) for (variable : container)
#define QUILLMAR_QCP_FOREACH
#endif

#include <qcustomplot.h>

#ifdef QUILLMAR_QCP_FOREACH
#undef foreach
#undef QUILLMAR_QCP_FOREACH
#endif
