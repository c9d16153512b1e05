#include "fuzztarget.h"

const std::vector<FuzzReader>& FuzzReaders()
{
    static const std::vector<FuzzReader> readers = {
        {"importfile", FuzzImportFile}, {"mapping", FuzzImportMapping}, {"tabledefs", FuzzTableDefinition},
        {"dictionary", FuzzDictionary}, {"settings", FuzzSettings},     {"partanswers", FuzzPartAnswer},
        {"itemlist", FuzzItemList},     {"numbers", FuzzNumbers},
    };
    return readers;
}
