# Doxygen's input filter for the kit's headers: their plain comments are their documentation.
# A comment on lines of its own documents what follows; one after a declaration on the same line
# documents that declaration. A placeholder in angle brackets (Message-<n>.png) is text, not a
# tag.
/^[[:space:]]*\/\/ /s|<\([a-z ]*\)>|\\<\1\\>|g
s|^\([[:space:]]*\)//$|\1///|
s|^\([[:space:]]*\)// |\1/// |
s|\([;,{]\)\([[:space:]]*\)// |\1\2///< |
s|\({[^}]*}\)\([[:space:]]*\)// |\1\2///< |
