:; echo "startsend: sending the data file to the Psion unit"; echo "startsend: demo script, nothing is sent"; exit 0 #
@echo off
echo startsend: sending the data file to the Psion unit
echo startsend: demo script, nothing is sent
