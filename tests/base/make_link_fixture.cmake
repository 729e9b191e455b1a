# A folder with a file and a symbolic link to it, made anew before each run
# of the Windows suite (a test cannot make a link of the Linux file system).
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
file(WRITE ${DIR}/target.txt "old")
file(CREATE_LINK target.txt ${DIR}/link.txt SYMBOLIC RESULT result)
if(result EQUAL 0)
  file(WRITE ${DIR}/made "")
endif()
