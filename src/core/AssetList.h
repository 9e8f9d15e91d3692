// The 161 package entry names in record order: the package's whole content.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> buildAssetList();
