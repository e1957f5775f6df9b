#!/usr/bin/python3
"""A stand-in agent for the experiment tool's tests: registers with the fake
fieldsim as "TEAM NUMBER", prints its formation file's own record and a
marker line, and stays until the server closes the connection."""
import socket
import sys

args = dict(zip(sys.argv[1::2], sys.argv[2::2]))
with open("formations.conf") as formation:
    own = [line for line in formation if line.startswith(f"*{args['-n']} ")]
print("formation", *own, end="")
print("Stand_Up successfully ")
sys.stdout.flush()
connection = socket.create_connection(("127.0.0.1", int(args["-p"])))
connection.sendall(f"{args['-t']} {args['-n']}\n".encode())
while connection.recv(100):
    pass
