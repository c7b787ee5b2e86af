# cmake -DINPUT=… -DOUTPUT=… -DTOLVO_VERSION=… -P make_help.cmake
# Fills @TOLVO_VERSION@ into the help file; nothing else in it is touched.
configure_file(${INPUT} ${OUTPUT} @ONLY)
