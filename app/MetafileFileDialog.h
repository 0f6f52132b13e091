// The file dialog in which the user picks a schema metafile.
#pragma once

#include "catalogue/MetafileLocator.h"

class CMetafileFileDialog : public IMetafileDialog {
 public:
  bool DoModal(std::string& chosenPath) override;
};
