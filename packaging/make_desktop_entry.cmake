# Writes tolvo's freedesktop menu entry: for a program folder installed at
# install_dir, by absolute paths (included by the install script), or, with
# install_dir empty, for the package, by the command and icon names.

# An argument of Exec: quoted when it needs to be, with the characters that
# are special inside quotes escaped; then the backslashes are doubled once
# more, as every string value of a desktop entry wants.
function(tolvo_desktop_exec_argument path out)
  set(arg "${path}")
  if(arg MATCHES "[ \t\"'\\\\><~|&;$*?#()`=%]")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    string(REPLACE "\"" "\\\"" arg "${arg}")
    string(REPLACE "`" "\\`" arg "${arg}")
    string(REPLACE "$" "\\$" arg "${arg}")
    set(arg "\"${arg}\"")
  endif()
  string(REPLACE "%" "%%" arg "${arg}")
  string(REPLACE "\\" "\\\\" arg "${arg}")
  set(${out} "${arg}" PARENT_SCOPE)
endfunction()

# Plain string values (Path, Icon) only need their backslashes doubled.
function(tolvo_desktop_string value out)
  string(REPLACE "\\" "\\\\" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(tolvo_write_desktop_entry install_dir output)
  if(install_dir STREQUAL "")
    set(exec tolvo)
    set(path_line "")
    set(icon tolvo)
  else()
    tolvo_desktop_exec_argument("${install_dir}/tolvo" exec)
    tolvo_desktop_string("${install_dir}" path)
    set(path_line "Path=${path}\n")
    tolvo_desktop_string("${install_dir}/share/icons/hicolor/32x32/apps/tolvo.png" icon)
  endif()
  file(WRITE "${output}" "[Desktop Entry]
Type=Application
Version=1.0
Name=tolvo
Name[ja]=ヴェルモラ支援ソフト
GenericName=Kanji compound quiz helper
GenericName[ja]=漢字熟語クイズ支援
Comment=Finds the kanji that makes a two-kanji word with every given kanji
Comment[ja]=与えられた漢字のすべてと二字熟語を作る漢字を探します
Exec=${exec}
${path_line}Icon=${icon}
Terminal=false
Categories=Education;Languages;
Keywords=kanji;quiz;Japanese;漢字;熟語;クイズ;
StartupNotify=true
")
endfunction()
