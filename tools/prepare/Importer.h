#ifndef QUILLANE_IMPORTER_H
#define QUILLANE_IMPORTER_H

#include <iostream>
#include <optional>
#include <string>

// Converts recordings of any common kind into announcements in the accepted format, one
// DIR/NAME.wav each, NAME being the file name less its last extension (ImportName).
class CImporter {
public:
    // a_Force replaces an existing recording and allows a time sound's name.
    CImporter(std::string a_Dir, bool a_Force, std::ostream& a_Out, std::ostream& a_Err)
        : m_Dir(std::move(a_Dir)), m_Force(a_Force), m_Out(a_Out), m_Err(a_Err) {}

    // Prints one line for the file, on a_Out when converted and on a_Err, with the reason,
    // when not; returns whether it was converted.
    bool Import(const std::string& a_File);

private:
    bool CheckName(const std::string& a_Name, const std::string& a_Target,
                   std::string& a_Why) const;
    std::optional<std::string> Convert(const std::string& a_File, const std::string& a_Target,
                                       std::string& a_Why) const;

    std::string m_Dir;
    bool m_Force;
    std::ostream& m_Out;
    std::ostream& m_Err;
};

#endif
