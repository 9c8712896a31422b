#include "data/MemoryDataSet.h"

#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TMemoryDataSet) {
    c.Prop("ReadOnly", &TMemoryDataSet::ReadOnly, &TMemoryDataSet::SetReadOnly).Default(false);
}

}  // namespace menvaro
