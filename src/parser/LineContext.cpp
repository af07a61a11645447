#include "parser/LineContext.h"

LineContext& ModuleLineContext() {
  static LineContext context;
  return context;
}
