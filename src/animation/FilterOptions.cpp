#include "animation/FilterOptions.h"

#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"

void FilterOptions::Serialize(CArchive& archive) {
  CCustomData record;
  if (archive.IsStoring()) {
    StoreRecord(record);
    record.Serialize(archive);
    return;
  }
  record.Serialize(archive);
  LoadRecord(record);
}
