#ifndef QUILLANE_IMPORTER_H
#define QUILLANE_IMPORTER_H

#include "shared/ImportNames.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

// Converts recordings of any common kind into announcements in the accepted format, named and
// placed as CImportNames says.
class CImporter {
public:
    // a_Force replaces an existing recording and allows a time sound's name.
    CImporter(std::string a_Dir, bool a_Force, std::ostream& a_Out, std::ostream& a_Err);

    // Whether no two of a_Files give one name; one line on a_Err for each that does.
    bool NamesDistinct(const std::vector<std::string>& a_Files) const;

    // Prints one line for the file, on a_Out when converted and on a_Err, with the reason,
    // when not; returns whether it was converted.
    bool Import(const std::string& a_File);

private:
    std::optional<std::string> Convert(const std::string& a_File, const std::string& a_Target,
                                       std::string& a_Why) const;

    CImportNames m_Names;
    std::ostream& m_Out;
    std::ostream& m_Err;
};

#endif
