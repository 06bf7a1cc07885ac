# cmake -DHELP2MAN=... -DPROGRAM=... -DINCLUDE=... -DVERSION=... -DOUTPUT=... -P ManPage.cmake
#
# A program's manual page from its --help (help2man, in UTF-8) and the
# sections of INCLUDE.
execute_process(COMMAND ${HELP2MAN} --locale=C.UTF-8 --no-info --version-string=${VERSION} --include=${INCLUDE}
                        --output=${OUTPUT}.new ${PROGRAM}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "help2man ${PROGRAM}: ${failed}")
endif()
file(READ ${OUTPUT}.new page)
file(REMOVE ${OUTPUT}.new)
# ferrotab --help ends with the settings file of the program that printed it,
# here the build's: the page says where a reader's is in its FILES section.
string(REGEX REPLACE "\n(設定ファイル|読み込む設定ファイル): [^\n]*" "" page "${page}")
# Japanese has no spaces to stretch a justified line by: lines end ragged.
string(REPLACE "\n.SH NAME\n" "\n.ad l\n.nh\n.SH NAME\n" page "${page}")
file(WRITE ${OUTPUT} "${page}")
