# Colour tests and regions of the 800 × 600 scene, shared by the e2e scripts. Conditions are
# ImageMagick fx expressions with r, g, b in 0…1; regions are WxH+X+Y.

# Skin, hair and the red jacket lit from the camera: red well above blue. The sky is blue, the
# floor and the hills are grey or green, so they never pass.
CHARACTER='r>b+0.16'
RED='r>0.6&&g<0.3&&b<0.3'
GREEN='g>0.6&&r<0.3&&b<0.3'
BLUE='b>0.6&&r<0.3&&g<0.3'
# Anything drawn: used on wireframe pictures, whose background is black.
LIT='r+g+b>0.3'

# The help text: line one at y = 590 from the bottom, line two at 570.
TOP_LINE=300x16+0+6
SECOND_LINE=300x16+0+28
BELOW_TEXT=300x40+0+50
SKY_REGION=380x140+410+60
FLOOR_REGION=200x40+590+550
CHARACTER_REGION=200x180+190+420
