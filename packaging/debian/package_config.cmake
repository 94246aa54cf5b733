# Read by cpack after CPackConfig.cmake: the settings of each of the two Debian packages, chosen
# with -D DATATOOLS_PACKAGE=full (the default) or cli. See cmake/Package.cmake. CPack indents
# the lines of a description and marks its empty lines.
set(summary "word and number tools for folders of plain-text data")
string(CONCAT about
  "Three tools for research data and word lists kept in plain-text files, each\n"
  "run on a folder: Binning counts the numbers of Data.txt into bins between\n"
  "cutoffs, Chainmaker writes every combination of two to six strings of a list,\n"
  "and Splitword finds the words of a list that are two words of it joined.\n"
  "\n")
if(DATATOOLS_PACKAGE STREQUAL "cli")
  set(CPACK_DEBIAN_PACKAGE_NAME datatools-cli)
  set(CPACK_COMPONENTS_ALL cli deb_cli)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION "${summary} (command line)\n" "${about}"
    "This package holds the command line, datatools, and its manual page: it runs\n"
    "the three tools from a shell, over ssh or from cron, and needs no display.")
else()
  set(CPACK_DEBIAN_PACKAGE_NAME datatools)
  set(CPACK_COMPONENTS_ALL desktop cli deb_full)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION "${summary}\n" "${about}"
    "This package holds the three desktop programs with their menu entries and the\n"
    "launcher datatools-open, and the command line datatools with its manual page.")
  # datatools-cli holds /usr/bin/datatools as well: this package takes its place.
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS datatools-cli)
  set(CPACK_DEBIAN_PACKAGE_REPLACES datatools-cli)
  set(CPACK_DEBIAN_PACKAGE_PROVIDES datatools-cli)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
