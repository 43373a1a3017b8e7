# Run by CPack after the staging install: removes what the program folder's install rules write
# but the package does not deliver (the simulated Talvex site, a developer's tool).
file(GLOB_RECURSE leftOut "${CPACK_TEMPORARY_DIRECTORY}/*/talvex-sim")
if(leftOut)
    file(REMOVE ${leftOut})
endif()
